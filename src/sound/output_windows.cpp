// Windows: the system's own waveform audio (winmm). Qt Multimedia would have
// to be built into the static toolchain for this one use, at many minutes of
// every first build; waveOut is in every Windows, and Wine plays it through
// PulseAudio as Windows plays it through its mixer.
//
// The device is fed from a thread of its own, so that a busy GUI thread never
// lets it run dry, and it plays silence from the moment the box opens: a
// device that starts with the first tone (Wine's, at least) stutters through
// its first half second.

#include "feed.h"

#include <array>
#include <atomic>
#include <thread>

#include <windows.h>
// after windows.h, whose types it uses
#include <mmsystem.h>

namespace sound {

using namespace Qt::StringLiterals;

namespace {

class WaveDevice final : public Device {
public:
    explicit WaveDevice(Source& source) : source_(source) {}

    bool open()
    {
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 1;
        format.nSamplesPerSec = model::sampleRate;
        format.wBitsPerSample = 16;
        format.nBlockAlign = 2;
        format.nAvgBytesPerSec = model::sampleRate * 2;
        // The device sets the event as each block is done with.
        if (waveOutOpen(&device_, WAVE_MAPPER, &format, DWORD_PTR(event_), 0, CALLBACK_EVENT) != MMSYSERR_NOERROR) {
            device_ = nullptr;
            return false;
        }
        thread_ = std::thread([this] {
            while (running_) {
                topUp();
                WaitForSingleObject(event_, roundMs);
            }
        });
        return true;
    }

    ~WaveDevice() override
    {
        if (thread_.joinable()) {
            running_ = false;
            SetEvent(event_);
            thread_.join();
        }
        if (device_) {
            waveOutReset(device_);
            for (Block& block : blocks_) {
                if (block.header.dwFlags & WHDR_PREPARED)
                    waveOutUnprepareHeader(device_, &block.header, sizeof(WAVEHDR));
            }
            waveOutClose(device_);
        }
        CloseHandle(event_);
    }

    qint64 heard() const override
    {
        MMTIME time{};
        time.wType = TIME_SAMPLES;
        waveOutGetPosition(device_, &time, sizeof time);
        return time.wType == TIME_SAMPLES ? qint64(time.u.sample) : qint64(time.u.cb) / 2;
    }

    // The blocks, and one being handed back.
    qint64 holds() const override { return qint64(blocks_.size() + 1) * blockSamples; }

    void wake() override { SetEvent(event_); }

private:
    // Six blocks of 20 ms: more than any stall of the sound thread, little
    // enough that a play starts, and a stop fades, within a tenth of a second.
    static constexpr int roundMs = 10;
    static constexpr qint64 blockSamples = model::sampleRate / 50;
    struct Block {
        std::array<qint16, blockSamples> samples{};
        WAVEHDR header{};
    };

    // The blocks go back to the device in the order it plays them.
    void topUp()
    {
        for (Block* block = &blocks_[next_];
             !(block->header.dwFlags & WHDR_PREPARED) || (block->header.dwFlags & WHDR_DONE); block = &blocks_[next_]) {
            if (block->header.dwFlags & WHDR_PREPARED)
                waveOutUnprepareHeader(device_, &block->header, sizeof(WAVEHDR));
            source_.render(block->samples);
            block->header = {};
            block->header.lpData = reinterpret_cast<LPSTR>(block->samples.data());
            block->header.dwBufferLength = DWORD(sizeof block->samples);
            waveOutPrepareHeader(device_, &block->header, sizeof(WAVEHDR));
            waveOutWrite(device_, &block->header, sizeof(WAVEHDR));
            next_ = (next_ + 1) % blocks_.size();
        }
    }

    Source& source_;
    HWAVEOUT device_ = nullptr;
    HANDLE event_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::array<Block, 6> blocks_;
    std::size_t next_ = 0;
    std::atomic<bool> running_ = true;
    std::thread thread_;
};

Device* openWaveDevice(Source& source, QString& error)
{
    auto device = std::make_unique<WaveDevice>(source);
    if (!device->open()) {
        error = u"Δεν βρέθηκε συσκευή ήχου."_s;
        return nullptr;
    }
    return device.release();
}

}  // namespace

std::unique_ptr<Output> makeOutput() { return fedOutput(openWaveDevice); }

}  // namespace sound
