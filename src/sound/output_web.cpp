// The browser: the page's Web Audio. Qt 6.4 has no multimedia for
// WebAssembly; the samples are the same, handed to the page a tenth of a
// second at a time and scheduled on its audio clock to the sample. The
// context is made and resumed inside the press that starts the play, as
// browsers require. The page's audio runs on a thread of the browser's own,
// so a busy page never breaks a tone; a stop fades out on that clock.

#include "output.h"

#include <QTimer>
#include <algorithm>
#include <array>
#include <deque>
#include <emscripten/val.h>
#include <vector>

namespace sound {

using namespace Qt::StringLiterals;
using emscripten::val;

namespace {

class WebOutput : public Output {
public:
    WebOutput()
    {
        feed_.setInterval(40);
        QObject::connect(&feed_, &QTimer::timeout, [this] { topUp(); });
    }
    ~WebOutput() override { halt(); }

    // Nothing to open before a press: a page may make sound only inside one.
    bool open() override { return true; }

    bool play(std::unique_ptr<ToneStream> stream) override
    {
        stop();
        const val constructor = val::global("AudioContext");
        if (constructor.isUndefined()) {
            error_ = u"Αυτός ο φυλλομετρητής δεν παίζει ήχο."_s;
            return false;
        }
        val options = val::object();
        options.set("sampleRate", model::sampleRate);
        context_ = constructor.new_(options);
        context_.call<val>("resume");
        if (context_["state"].as<std::string>() == "closed") {
            error_ = u"Η σελίδα δεν μπορεί ακόμη να παίξει ήχο."_s;
            context_ = val::undefined();
            return false;
        }
        error_.clear();
        stream_ = std::move(stream);
        gain_ = context_.call<val>("createGain");
        gain_.call<void>("connect", context_["destination"]);
        sources_ = val::array();
        ends_.clear();
        start_ = context_["currentTime"].as<double>() + 0.05;
        scheduled_ = 0;
        played_ = 0;
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
        if (context_.isUndefined())
            return;
        played_ = played();
        // Down over 5 ms, as a tone's edge falls, then closed.
        const double now = context_["currentTime"].as<double>();
        const val gain = gain_["gain"];
        gain.call<void>("setValueAtTime", 1, now);
        gain.call<void>("linearRampToValueAtTime", 0, now + double(edgeSamples) / model::sampleRate);
        QTimer::singleShot(50, [context = context_] { context.call<val>("close"); });
        context_ = val::undefined();
    }

public:
    qint64 played() const override
    {
        if (context_.isUndefined())
            return played_;
        const double heard = (context_["currentTime"].as<double>() - start_) * model::sampleRate;
        return std::clamp<qint64>(qint64(heard), 0, scheduled_);
    }

private:
    // Keeps a third of a second scheduled ahead of what is heard.
    void topUp()
    {
        if (context_["state"].as<std::string>() != "running" && scheduled_ > model::sampleRate) {
            // Still not allowed to play after a second of trying: given up,
            // as though it had all been heard.
            stop();
            played_ = stream_->length();
            error_ = u"Η σελίδα δεν μπορεί ακόμη να παίξει ήχο."_s;
            return;
        }
        while (scheduled_ < played() + model::sampleRate / 3) {
            const qsizetype count = stream_->render(chunk_);
            if (count == 0)
                break;
            std::vector<float> samples(static_cast<std::size_t>(count), 0.0f);
            for (qsizetype i = 0; i < count; ++i)
                samples[std::size_t(i)] = float(chunk_[std::size_t(i)]) / 32768.0f;
            val buffer = context_.call<val>("createBuffer", 1, int(count), model::sampleRate);
            buffer.call<void>("copyToChannel", val(emscripten::typed_memory_view(samples.size(), samples.data())), 0);
            val source = context_.call<val>("createBufferSource");
            source.set("buffer", buffer);
            source.call<void>("connect", gain_);
            source.call<void>("start", start_ + double(scheduled_) / model::sampleRate);
            sources_.call<void>("push", source);
            scheduled_ += count;
            ends_.push_back(scheduled_);
        }
        // Those already heard need no stopping: the list stays short however long the message.
        std::size_t heard = 0;
        while (heard < ends_.size() && ends_[heard] <= played())
            ++heard;
        if (heard > 0) {
            sources_.call<val>("splice", 0, int(heard));
            ends_.erase(ends_.begin(), ends_.begin() + qsizetype(heard));
        }
        if (stream_->position() >= stream_->length() && played() >= scheduled_)
            stop();
    }

    val context_ = val::undefined();
    val gain_ = val::undefined();  // what every source plays through, for the fade
    val sources_ = val::undefined();
    std::unique_ptr<ToneStream> stream_;
    std::deque<qint64> ends_;  // where each scheduled source ends, in samples
    std::array<qint16, model::sampleRate / 10> chunk_{};
    double start_ = 0;
    qint64 scheduled_ = 0;
    qint64 played_ = 0;
    QTimer feed_;
};

}  // namespace

std::unique_ptr<Output> makeOutput() { return std::make_unique<WebOutput>(); }

}  // namespace sound
