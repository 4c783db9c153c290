// Windows: the system's own waveform audio (winmm). Qt Multimedia would have
// to be built into the static toolchain for this one use, at many minutes of
// every first build; waveOut is in every Windows, and Wine plays it through
// PulseAudio as Windows plays it through its mixer.

#include "output.h"

#include <QTimer>
#include <array>
#include <vector>

#include <windows.h>
// after windows.h, whose types it uses
#include <mmsystem.h>

namespace sound {

using namespace Qt::StringLiterals;

namespace {

class WaveOutput : public Output {
public:
    explicit WaveOutput(QObject* parent) : Output(parent)
    {
        // The queue is topped up from the event loop: no callback thread.
        feed_.setInterval(10);
        connect(&feed_, &QTimer::timeout, this, &WaveOutput::topUp);
    }
    ~WaveOutput() override { halt(); }

    bool play(std::unique_ptr<ToneStream> stream) override
    {
        stop();
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 1;
        format.nSamplesPerSec = model::sampleRate;
        format.wBitsPerSample = 16;
        format.nBlockAlign = 2;
        format.nAvgBytesPerSec = model::sampleRate * 2;
        if (waveOutOpen(&device_, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
            device_ = nullptr;
            error_ = u"Δεν βρέθηκε συσκευή ήχου."_s;
            return false;
        }
        error_.clear();
        played_ = 0;
        stream_ = std::move(stream);
        for (Block& block : blocks_)
            block.header = {};
        topUp();
        feed_.start();
        return true;
    }

    void stop() override { halt(); }

private:
    // stop(), which the destructor calls too, where no override may be called.
    void halt()
    {
        feed_.stop();
        if (!device_)
            return;
        played_ = played();
        waveOutReset(device_);
        for (Block& block : blocks_) {
            if (block.header.dwFlags & WHDR_PREPARED)
                waveOutUnprepareHeader(device_, &block.header, sizeof(WAVEHDR));
        }
        waveOutClose(device_);
        device_ = nullptr;
    }

public:
    qint64 played() const override
    {
        if (!device_)
            return played_;
        MMTIME time{};
        time.wType = TIME_SAMPLES;
        waveOutGetPosition(device_, &time, sizeof time);
        return time.wType == TIME_SAMPLES ? qint64(time.u.sample) : qint64(time.u.cb) / 2;
    }

private:
    // Eight blocks of 50 ms: time enough for a busy event loop to refill
    // them, and no delay at the start (the first block plays at once) nor at
    // a stop (the device drops its queue).
    struct Block {
        std::array<qint16, model::sampleRate / 20> samples{};
        WAVEHDR header{};
    };

    void topUp()
    {
        bool queued = false;
        for (Block& block : blocks_) {
            if (block.header.dwFlags & WHDR_PREPARED) {
                if (!(block.header.dwFlags & WHDR_DONE)) {
                    queued = true;
                    continue;
                }
                waveOutUnprepareHeader(device_, &block.header, sizeof(WAVEHDR));
            }
            const qsizetype count = stream_->render(block.samples);
            if (count == 0)
                continue;
            block.header = {};
            block.header.lpData = reinterpret_cast<LPSTR>(block.samples.data());
            block.header.dwBufferLength = DWORD(count * 2);
            waveOutPrepareHeader(device_, &block.header, sizeof(WAVEHDR));
            waveOutWrite(device_, &block.header, sizeof(WAVEHDR));
            queued = true;
        }
        if (!queued) {
            stop();
            emit finished();
        }
    }

    HWAVEOUT device_ = nullptr;
    std::unique_ptr<ToneStream> stream_;
    std::array<Block, 8> blocks_;
    QTimer feed_;
    qint64 played_ = 0;
};

}  // namespace

std::unique_ptr<Output> makeOutput(QObject* parent) { return std::make_unique<WaveOutput>(parent); }

}  // namespace sound
