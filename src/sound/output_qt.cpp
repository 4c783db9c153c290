// Linux: Qt Multimedia's audio output, which speaks to PulseAudio (or
// PipeWire's PulseAudio server) as every desktop's sound does.

#include "output.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>

namespace sound {

using namespace Qt::StringLiterals;

namespace {

// The stream as the sink pulls it.
class StreamDevice : public QIODevice {
public:
    std::unique_ptr<ToneStream> stream;

    bool isSequential() const override { return true; }
    bool atEnd() const override { return !stream || stream->position() >= stream->length(); }
    qint64 bytesAvailable() const override
    {
        return (stream ? (stream->length() - stream->position()) * 2 : 0) + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char* data, qint64 size) override
    {
        if (!stream)
            return 0;
        return 2 * stream->render({reinterpret_cast<qint16*>(data), std::size_t(size / 2)});
    }
    qint64 writeData(const char*, qint64) override { return -1; }
};

class QtOutput : public Output {
public:
    using Output::Output;

    bool play(std::unique_ptr<ToneStream> stream) override
    {
        stop();
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        QAudioFormat format;
        format.setSampleRate(model::sampleRate);
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::Int16);
        if (device.isNull() || !device.isFormatSupported(format)) {
            error_ = u"Δεν βρέθηκε συσκευή ήχου."_s;
            return false;
        }
        error_.clear();
        played_ = 0;
        sink_ = std::make_unique<QAudioSink>(device, format);
        sink_->setBufferSize(qsizetype(model::sampleRate) / 10 * 2);  // 100 ms: a quick start, no gaps
        // Queued: stopping deletes the sink, which must not happen inside its own signal.
        connect(
            sink_.get(), &QAudioSink::stateChanged, this,
            [this] {
                if (sink_ && sink_->state() == QAudio::IdleState && source_.atEnd()) {
                    stop();
                    emit finished();
                }
            },
            Qt::QueuedConnection);
        source_.stream = std::move(stream);
        source_.open(QIODevice::ReadOnly);
        sink_->start(&source_);
        if (sink_->error() != QAudio::NoError) {
            stop();
            error_ = u"Η συσκευή ήχου δεν άνοιξε."_s;
            return false;
        }
        return true;
    }

    void stop() override
    {
        if (sink_) {
            sink_->disconnect(this);
            sink_->stop();
            played_ = played();
            sink_.reset();
        }
        source_.close();
    }

    qint64 played() const override
    {
        if (!sink_)
            return played_;
        // What the sink took, less what still waits in its buffer.
        const qint64 taken = sink_->processedUSecs() * model::sampleRate / 1'000'000;
        return std::max<qint64>(0, taken);
    }

private:
    StreamDevice source_;
    std::unique_ptr<QAudioSink> sink_;
    qint64 played_ = 0;
};

}  // namespace

std::unique_ptr<Output> makeOutput(QObject* parent) { return std::make_unique<QtOutput>(parent); }

}  // namespace sound
