#pragma once
// The messages a device plays one after another, shared by the GUI thread,
// which starts and stops them, and the device's own thread, which renders
// them: what the GUI does never has to wait for the sound, nor the sound
// for the GUI.

#include "device.h"
#include "output.h"
#include "tone.h"

#include <memory>
#include <mutex>

namespace sound {

class Feed final : public Source {
public:
    // `stream` plays as soon as what plays now has faded out.
    void play(std::unique_ptr<ToneStream> stream);
    // What plays fades out over an edge; what waited to play is dropped.
    void stop();
    // How much of the stream that plays (or played last) has been heard,
    // once the device has played `heard` samples of the feed.
    qint64 played(qint64 heard) const;

    void render(std::span<qint16> out) override;
    // True when what played has ended and come out of a speaker that holds
    // at most `holds` samples, so the device may be closed: a device closed
    // drops what it still holds, and a fade cut short ends a tone loud.
    bool idle(qint64 holds) const;

private:
    mutable std::mutex mutex_;
    std::unique_ptr<ToneStream> now_, next_;
    qint64 given_ = 0;    // samples rendered since the device opened
    qint64 startAt_ = 0;  // where now_ starts among them
    qint64 endAt_ = 0;    // and where the last stream's sound ends
};

// The output of a platform whose device plays on a thread of its own, opened
// by `openDevice`; when there is none (a module missing), `missing` says so.
std::unique_ptr<Output> fedOutput(OpenDevice openDevice, const QString& missing = {});

}  // namespace sound
