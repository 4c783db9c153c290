// Windows: the system's own waveform input (winmm), as the output is
// (output_windows.cpp says why not Qt Multimedia). It records on a thread
// of its own and the hearer decodes there, as on Linux: a GUI thread that
// stalls loses no samples.

#include "input.h"

#include <array>
#include <atomic>
#include <thread>

#include <windows.h>
// after windows.h, whose types it uses
#include <mmsystem.h>

namespace sound {

namespace {

class WaveInput final : public InputDevice {
public:
    explicit WaveInput(Hearer& hearer) : hearer_(hearer) {}

    MMRESULT open()
    {
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 1;
        format.nSamplesPerSec = inputRate;
        format.wBitsPerSample = 16;
        format.nBlockAlign = 2;
        format.nAvgBytesPerSec = inputRate * 2;
        // The device sets the event as it fills each block.
        if (const MMRESULT opened = waveInOpen(&device_, WAVE_MAPPER, &format, DWORD_PTR(event_), 0, CALLBACK_EVENT);
            opened != MMSYSERR_NOERROR) {
            device_ = nullptr;
            return opened;
        }
        for (Block& block : blocks_) {
            block.header.lpData = reinterpret_cast<LPSTR>(block.samples.data());
            block.header.dwBufferLength = DWORD(sizeof block.samples);
            waveInPrepareHeader(device_, &block.header, sizeof(WAVEHDR));
            waveInAddBuffer(device_, &block.header, sizeof(WAVEHDR));
        }
        if (const MMRESULT started = waveInStart(device_); started != MMSYSERR_NOERROR)
            return started;
        thread_ = std::thread([this] {
            while (running_) {
                WaitForSingleObject(event_, roundMs);
                take();
            }
        });
        return MMSYSERR_NOERROR;
    }

    // Reset gives every block back unfilled, and the microphone is released.
    ~WaveInput() override
    {
        if (thread_.joinable()) {
            running_ = false;
            SetEvent(event_);
            thread_.join();
        }
        if (device_) {
            waveInReset(device_);
            for (Block& block : blocks_) {
                if (block.header.dwFlags & WHDR_PREPARED)
                    waveInUnprepareHeader(device_, &block.header, sizeof(WAVEHDR));
            }
            waveInClose(device_);
        }
        CloseHandle(event_);
    }

private:
    // Eight blocks of 50 ms: the thread may stand still for a third of a
    // second before the device has nowhere to record.
    static constexpr int roundMs = 20;
    static constexpr std::size_t blockSamples = inputRate / 20;
    struct Block {
        std::array<qint16, blockSamples> samples{};
        WAVEHDR header{};
    };

    // The blocks come back filled in the order they were given: each is
    // heard, then given again.
    void take()
    {
        for (Block* block = &blocks_[next_]; block->header.dwFlags & WHDR_DONE; block = &blocks_[next_]) {
            const std::size_t recorded = block->header.dwBytesRecorded / 2;
            for (std::size_t i = 0; i < recorded; ++i)
                heard_[i] = float(block->samples[i]) / 32768.0F;
            if (recorded > 0)
                hearer_.hear(std::span(heard_.data(), recorded));
            block->header.dwFlags &= ~DWORD(WHDR_DONE);
            block->header.dwBytesRecorded = 0;
            waveInAddBuffer(device_, &block->header, sizeof(WAVEHDR));
            next_ = (next_ + 1) % blocks_.size();
        }
    }

    Hearer& hearer_;
    HWAVEIN device_ = nullptr;
    HANDLE event_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::array<Block, 8> blocks_;
    std::array<float, blockSamples> heard_{};
    std::size_t next_ = 0;
    std::atomic<bool> running_ = true;
    std::thread thread_;
};

}  // namespace

std::unique_ptr<InputDevice> openInput(Hearer& hearer, QString& error)
{
    if (waveInGetNumDevs() == 0) {
        error = QStringView(noMicrophone).toString();
        return nullptr;
    }
    hearer.begin(inputRate);
    auto input = std::make_unique<WaveInput>(hearer);
    if (const MMRESULT opened = input->open(); opened != MMSYSERR_NOERROR) {
        error = QStringView(opened == MMSYSERR_BADDEVICEID || opened == MMSYSERR_NODRIVER ? noMicrophone
                                                                                          : microphoneRefused)
                    .toString();
        return nullptr;
    }
    return input;
}

}  // namespace sound
