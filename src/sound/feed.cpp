#include "feed.h"

#include <QElapsedTimer>
#include <QThread>
#include <algorithm>

namespace sound {

void Feed::play(std::unique_ptr<ToneStream> stream)
{
    const std::lock_guard lock(mutex_);
    if (now_)
        now_->fadeOut();
    next_ = std::move(stream);
}

void Feed::stop()
{
    const std::lock_guard lock(mutex_);
    if (now_)
        now_->fadeOut();
    next_.reset();
}

qint64 Feed::played(qint64 heard) const
{
    const std::lock_guard lock(mutex_);
    if (next_ || !now_)
        return 0;
    return std::clamp<qint64>(heard - startAt_, 0, now_->position());
}

void Feed::render(std::span<qint16> out)
{
    const std::lock_guard lock(mutex_);
    std::size_t done = 0;
    while (done < out.size()) {
        if ((!now_ || now_->ended()) && next_) {
            now_ = std::move(next_);
            startAt_ = given_ + qint64(done);
        }
        if (!now_ || now_->ended())
            break;
        done += std::size_t(now_->render(out.subspan(done)));
        endAt_ = given_ + qint64(done);
    }
    std::fill(out.begin() + qsizetype(done), out.end(), qint16(0));
    given_ += qint64(out.size());
}

// A device asks for more only as its speaker plays: once it has asked for
// all it holds beyond the sound's end, the end has been played, whatever its
// clock says. Judged by the clock, a close ended a tone cut short inside its
// fade, once in about twenty.
bool Feed::idle(qint64 holds) const
{
    const std::lock_guard lock(mutex_);
    return !next_ && (!now_ || now_->ended()) && (endAt_ == 0 || given_ >= endAt_ + holds);
}

namespace {

class FedOutput final : public Output {
public:
    FedOutput(OpenDevice openDevice, const QString& missing) : openDevice_(openDevice), missing_(missing) {}

    ~FedOutput() override
    {
        // What sounds fades out before the device closes, so closing the box
        // or the program is no click; a device that stopped playing is not
        // waited for long.
        stop();
        if (!device_)
            return;
        const qint64 holds = device_->holds();
        const qint64 patience = 100 + 2'000 * holds / model::sampleRate;  // ms: twice what it holds
        QElapsedTimer waited;
        waited.start();
        while (!feed_.idle(holds) && waited.elapsed() < patience)
            QThread::msleep(5);
    }

    bool open() override
    {
        if (device_)
            return true;
        if (!openDevice_) {
            error_ = missing_;
            return false;
        }
        QString error;
        device_.reset(openDevice_(feed_, error));
        error_ = error;
        return device_ != nullptr;
    }

    bool play(std::unique_ptr<ToneStream> stream) override
    {
        if (!open())
            return false;
        feed_.play(std::move(stream));
        device_->wake();
        return true;
    }

    void stop() override
    {
        feed_.stop();
        if (device_)
            device_->wake();
    }

    qint64 played() const override { return device_ ? feed_.played(device_->heard()) : 0; }

private:
    OpenDevice openDevice_;
    QString missing_;
    Feed feed_;
    std::unique_ptr<Device> device_;  // after feed_, which it plays: deleted before it
};

}  // namespace

std::unique_ptr<Output> fedOutput(OpenDevice openDevice, const QString& missing)
{
    return std::make_unique<FedOutput>(openDevice, missing);
}

}  // namespace sound
