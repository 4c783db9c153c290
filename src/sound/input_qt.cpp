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
#include <chrono>
#include <future>
#include <memory>
#include <vector>

#include <pulse/pulseaudio.h>

using namespace Qt::StringLiterals;

namespace sound {

namespace {

constexpr int roundMs = 20;  // how often the thread takes what was recorded

// The input's own thread: it opens the source, records until it is told to
// quit, and closes the source, all there, where Qt's audio objects must live.
class QtInput final : public InputDevice, private QThread {
public:
    QtInput(Hearer& hearer, const QAudioDevice& device, const QAudioFormat& format)
        : hearer_(hearer), device_(device), format_(format)
    {
        setObjectName(u"microphone"_s);
    }

    // Starts the thread; false when the server would not open the source.
    bool open()
    {
        std::future<bool> opened = opened_.get_future();
        start();
        if (opened.get())
            return true;
        wait();
        return false;
    }

    // The source is stopped on its thread as it ends, which releases the
    // microphone at once.
    ~QtInput() override
    {
        quit();
        wait();
    }

private:
    void run() override
    {
        QAudioSource source(device_, format_);
        // Handed over a tenth of a second at a time; what the thread has not
        // taken yet waits in the server, which holds seconds.
        source.setBufferSize(inputRate / 5);
        QIODevice* io = source.start();
        if (!io || source.error() != QAudio::NoError) {
            opened_.set_value(false);
            return;
        }
        QTimer round;
        round.setInterval(roundMs);
        QObject::connect(&round, &QTimer::timeout, [this, io] { take(*io); });
        round.start();
        opened_.set_value(true);
        exec();
        source.stop();
    }

    // What was recorded since the last round, in one block. (readAll() reads
    // nothing here: the device is unbuffered, and Qt 6.4 reads it in chunks
    // of its buffer's size, which is none.)
    void take(QIODevice& io)
    {
        recorded_.resize(std::size_t(inputRate));  // a second, more than a round ever holds
        const qint64 got = io.read(reinterpret_cast<char*>(recorded_.data()), qint64(recorded_.size()) * 2) / 2;
        block_.resize(std::size_t(std::max<qint64>(0, got)));
        for (std::size_t i = 0; i < block_.size(); ++i)
            block_[i] = float(recorded_[i]) / 32768.0F;
        if (!block_.empty())
            hearer_.hear(block_);
    }

    Hearer& hearer_;
    const QAudioDevice device_;
    const QAudioFormat format_;
    std::promise<bool> opened_;
    std::vector<qint16> recorded_;
    std::vector<float> block_;
};

// The microphone the desktop chose, as the sound server names it; empty
// when the server does not say within a second. Qt 6.4 cannot tell: it
// marks as default the input named like the default *output*
// (qaudioengine_pulse.cpp), which none is, so its default input is merely
// the first one listed, a webcam's or a dock's as often as the headset the
// user picked. PipeWire's PulseAudio server answers the same question.
QByteArray defaultSourceName()
{
    struct Asked {
        QByteArray name;
        bool answered = false;
    } asked;
    pa_mainloop* loop = pa_mainloop_new();
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "Simatoplektis");
    if (context && pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        pa_operation* question = nullptr;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (!asked.answered && std::chrono::steady_clock::now() < deadline) {
            // Waits a tenth of a second at most for the server, then looks again.
            if (pa_mainloop_prepare(loop, 100'000) < 0 || pa_mainloop_poll(loop) < 0 || pa_mainloop_dispatch(loop) < 0)
                break;
            const pa_context_state_t state = pa_context_get_state(context);
            if (!PA_CONTEXT_IS_GOOD(state))
                break;
            if (state == PA_CONTEXT_READY && !question) {
                question = pa_context_get_server_info(
                    context,
                    [](pa_context*, const pa_server_info* info, void* answer) {
                        auto* into = static_cast<Asked*>(answer);
                        if (info && info->default_source_name)
                            into->name = info->default_source_name;
                        into->answered = true;
                    },
                    &asked);
            }
        }
        if (question)
            pa_operation_unref(question);
        pa_context_disconnect(context);
    }
    if (context)
        pa_context_unref(context);
    pa_mainloop_free(loop);
    return asked.name;
}

}  // namespace

}  // namespace sound

extern "C" Q_DECL_EXPORT sound::InputDevice* simatoplektis_open_input(sound::Hearer& hearer, QString& error)
{
    QAudioFormat format;
    format.setSampleRate(sound::inputRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    QAudioDevice device = QMediaDevices::defaultAudioInput();
    const QByteArray chosen = sound::defaultSourceName();
    for (const QAudioDevice& input : QMediaDevices::audioInputs()) {
        if (input.id() == chosen)
            device = input;
    }
    if (device.isNull()) {
        error = QStringView(sound::noMicrophone).toString();
        return nullptr;
    }
    hearer.begin(sound::inputRate);
    auto opened = std::make_unique<sound::QtInput>(hearer, device, format);
    if (!opened->open()) {
        error = QStringView(sound::microphoneRefused).toString();
        return nullptr;
    }
    return opened.release();
}
