// The Linux sound module, libsimatoplektis-sound.so: Qt Multimedia's audio
// output, which speaks to PulseAudio (or PipeWire's PulseAudio server) as
// every desktop's sound does. The program loads it at the first Ctrl+M (see
// output_qt.cpp), so that no start pays for Qt Multimedia.
//
// The device is fed from a thread of its own: a GUI thread that stalls (a
// redraw, a busy laptop) would let the device's buffer run dry, and silence
// inside a tone is a dash cut in two, a wrong letter.

#include "device.h"
#include "model/sending.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QThread>
#include <QTimer>
#include <memory>
#include <mutex>
#include <vector>

using namespace Qt::StringLiterals;

namespace sound {

namespace {

// Four tenths of a second asked of the sound server, which holds about half
// of it for the speaker and half ahead of it: more than a busy machine
// keeps the sound thread waiting. A tenth was too little: on a virtual
// machine of two cores, the whole machine stops now and then, for up to
// 150 ms when idle and 250 ms while a screen is grabbed, and every such stop
// longer than what the server held ahead (70 ms) cut a tone in two.
constexpr qsizetype bufferSamples = model::sampleRate * 4 / 10;
constexpr int roundMs = 10;  // how often the thread tops the buffer up

class QtDevice final : public Device {
public:
    explicit QtDevice(Source& source) : source_(source) { since_.start(); }

    // Opens `device` on the sound thread; false when the server refuses it.
    bool open(const QAudioDevice& device, const QAudioFormat& format)
    {
        thread_.setObjectName(u"sound"_s);
        thread_.start();
        worker_.moveToThread(&thread_);
        bool opened = false;
        QMetaObject::invokeMethod(
            &worker_,
            [&] {
                sink_ = std::make_unique<QAudioSink>(device, format);
                sink_->setBufferSize(bufferSamples * 2);
                io_ = sink_->start();
                if (!io_ || sink_->error() != QAudio::NoError)
                    return;
                round_ = std::make_unique<QTimer>();
                round_->setTimerType(Qt::PreciseTimer);
                round_->setInterval(roundMs);
                QObject::connect(round_.get(), &QTimer::timeout, [this] { feed(); });
                round_->start();
                opened = true;
            },
            Qt::BlockingQueuedConnection);
        return opened;
    }

    ~QtDevice() override
    {
        // The sink belongs to the sound thread: it is closed there, and the
        // worker comes back to be deleted here.
        if (thread_.isRunning()) {
            QThread* here = QThread::currentThread();
            QMetaObject::invokeMethod(
                &worker_,
                [this, here] {
                    round_.reset();
                    if (sink_)
                        sink_->stop();
                    sink_.reset();
                    worker_.moveToThread(here);
                },
                Qt::BlockingQueuedConnection);
            thread_.quit();
            thread_.wait();
        }
    }

    qint64 heard() const override
    {
        // Between the thread's rounds the speaker goes on at its rate, but
        // never past what it was given.
        const std::lock_guard lock(mutex_);
        return std::min(written_, heard_ + since_.nsecsElapsed() * model::sampleRate / 1'000'000'000);
    }

    // The server holds what it was asked for in all (Qt asks PulseAudio to
    // split it between the speaker and its queue), and a round more.
    qint64 holds() const override { return bufferSamples + model::sampleRate * roundMs / 1000; }

    void wake() override
    {
        // Queued to the sound thread, which owns the call from then on.
        QMetaObject::invokeMethod(&worker_, [this] { feed(); });  // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks)
    }

private:
    // On the sound thread: what the speaker has played, and the buffer
    // topped up.
    void feed()
    {
        if (!sink_)
            return;
        // Qt's clock of the stream (6.4, PulseAudio) is the server's read
        // position less the server's latency averaged over its last ten
        // reports: when the server takes a large piece at once, the clock
        // leaps ahead by most of it, then stands still while the average
        // catches up (up to 140 ms ahead within 15 ms, seen here). The
        // speaker plays on evenly, so the clock followed here never gains
        // on the wall clock by more than a tenth: a leap comes in over ten
        // times its length, mostly absorbed by the standstill after it, and
        // a light that follows it never skips a tone.
        const qint64 reading = sink_->processedUSecs() * model::sampleRate / 1'000'000;
        {
            const std::lock_guard lock(mutex_);
            const qint64 ran = since_.nsecsElapsed() * model::sampleRate / 1'000'000'000;
            since_.start();
            heard_ = std::max(heard_, std::min(reading, heard_ + ran + ran / 10));
        }
        // The buffer is kept full, of silence while nothing plays: a stream
        // that runs dry stops until the server holds most of a buffer again,
        // and meanwhile Qt's clock runs on, so a play that starts it again
        // is shown up to the server's latency ahead of the speaker (a light
        // that flashes before its tone). The server may grant less than was
        // asked; bytesFree() counts against what it granted.
        const qsizetype room = sink_->bytesFree() / 2;
        if (room <= 0)
            return;
        samples_.resize(std::size_t(room));
        source_.render(samples_);
        const qint64 taken = io_->write(reinterpret_cast<const char*>(samples_.data()), room * 2) / 2;
        const std::lock_guard lock(mutex_);
        written_ += std::max<qint64>(0, taken);
    }

    Source& source_;
    QThread thread_;
    QObject worker_;  // the sound thread's own object, for what runs there
    std::unique_ptr<QAudioSink> sink_;
    QIODevice* io_ = nullptr;
    std::unique_ptr<QTimer> round_;
    std::vector<qint16> samples_;

    mutable std::mutex mutex_;  // what heard() reads from the GUI thread
    qint64 written_ = 0;
    qint64 heard_ = 0;
    QElapsedTimer since_;  // since heard_ was last moved on
};

}  // namespace

}  // namespace sound

extern "C" Q_DECL_EXPORT sound::Device* simatoplektis_open_device(sound::Source& source, QString& error)
{
    QAudioFormat format;
    format.setSampleRate(model::sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    // Asked on the calling (GUI) thread: Qt Multimedia's own objects live there.
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull() || !device.isFormatSupported(format)) {
        error = u"Δεν βρέθηκε συσκευή ήχου."_s;
        return nullptr;
    }
    auto opened = std::make_unique<sound::QtDevice>(source);
    if (!opened->open(device, format)) {
        error = u"Η συσκευή ήχου δεν άνοιξε."_s;
        return nullptr;
    }
    return opened.release();
}
