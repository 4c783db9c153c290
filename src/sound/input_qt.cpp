// The Linux microphone, in the sound module beside the output (device_qt.cpp):
// Qt Multimedia's audio source, which records through PulseAudio (or
// PipeWire's PulseAudio server) as every desktop's microphone does.
//
// It records on a thread of its own, and the hearer decodes there: a GUI
// thread that stalls never loses samples, and the decoding never slows the
// window.

#include "input.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSource>
#include <QMediaDevices>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace sound {

namespace {

constexpr int roundMs = 20;  // how often the thread takes what was recorded

class QtInput final : public InputDevice {
public:
    explicit QtInput(Hearer& hearer) : hearer_(hearer) {}

    // Opens `device` on the input's thread; false when the server refuses it.
    bool open(const QAudioDevice& device, const QAudioFormat& format)
    {
        thread_.setObjectName(u"microphone"_s);
        thread_.start();
        worker_.moveToThread(&thread_);
        bool opened = false;
        QMetaObject::invokeMethod(
            &worker_,
            [&] {
                source_ = std::make_unique<QAudioSource>(device, format);
                // Handed over a tenth of a second at a time; what the thread
                // has not taken yet waits in the server, which holds seconds.
                source_->setBufferSize(inputRate / 5);
                io_ = source_->start();
                if (!io_ || source_->error() != QAudio::NoError)
                    return;
                round_ = std::make_unique<QTimer>();
                round_->setInterval(roundMs);
                QObject::connect(round_.get(), &QTimer::timeout, [this] { take(); });
                round_->start();
                opened = true;
            },
            Qt::BlockingQueuedConnection);
        return opened;
    }

    ~QtInput() override
    {
        // The source belongs to the input's thread: it is stopped there,
        // which releases the microphone, and the worker comes back.
        if (thread_.isRunning()) {
            QThread* here = QThread::currentThread();
            QMetaObject::invokeMethod(
                &worker_,
                [this, here] {
                    round_.reset();
                    if (source_)
                        source_->stop();
                    source_.reset();
                    worker_.moveToThread(here);
                },
                Qt::BlockingQueuedConnection);
            thread_.quit();
            thread_.wait();
        }
    }

private:
    // What was recorded since the last round, in one block. (readAll() reads
    // nothing here: the device is unbuffered, and Qt 6.4 reads it in chunks
    // of its buffer's size, which is none.)
    void take()
    {
        recorded_.resize(std::size_t(inputRate));  // a second, more than a round ever holds
        const qint64 got = io_->read(reinterpret_cast<char*>(recorded_.data()), qint64(recorded_.size()) * 2) / 2;
        block_.resize(std::size_t(std::max<qint64>(0, got)));
        for (std::size_t i = 0; i < block_.size(); ++i)
            block_[i] = float(recorded_[i]) / 32768.0F;
        if (!block_.empty())
            hearer_.hear(block_);
    }

    Hearer& hearer_;
    QThread thread_;
    QObject worker_;  // the input thread's own object, for what runs there
    std::unique_ptr<QAudioSource> source_;
    QIODevice* io_ = nullptr;
    std::unique_ptr<QTimer> round_;
    std::vector<qint16> recorded_;
    std::vector<float> block_;
};

}  // namespace

}  // namespace sound

extern "C" Q_DECL_EXPORT sound::InputDevice* simatoplektis_open_input(sound::Hearer& hearer, QString& error)
{
    QAudioFormat format;
    format.setSampleRate(sound::inputRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull()) {
        error = u"Δεν βρέθηκε μικρόφωνο."_s;
        return nullptr;
    }
    auto opened = std::make_unique<sound::QtInput>(hearer);
    if (!opened->open(device, format)) {
        error = u"Το μικρόφωνο δεν άνοιξε: ίσως το χρησιμοποιεί άλλο πρόγραμμα ή δεν επιτρέπεται."_s;
        return nullptr;
    }
    return opened.release();
}
