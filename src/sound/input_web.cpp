// The browser: the page's microphone, by getUserMedia, recorded by an
// AudioWorklet on the browser's audio thread, which hands it over in blocks
// of 2,048 samples; they wait on the page until a timer here takes them, so
// a busy page loses none. The page's program has one thread: the decoding
// runs on it, a few per cent of the audio's time.
//
// Recorded at the audio context's own rate (44.1 or 48 kHz as a rule), not
// at 16 kHz as elsewhere: Firefox refuses a microphone in a context of
// another rate than its own, and the decoder reads any rate up to 48 kHz.
// Above that, each few samples are averaged into one.
//
// The browser asks the user's leave once the box is open; until the answer,
// the box listens to nothing, and a refusal is told through failure().

#include "input.h"

#include <QTimer>
#include <array>
#include <emscripten.h>

using namespace Qt::StringLiterals;

// The page's side. Each open microphone is a record in Module.hearings, by
// its number: its audio context, the blocks recorded and not yet taken,
// and the name of the error that ended it. The worklet's code is the
// function `record`, handed to the browser as a module of its own.
// (JavaScript written as C tokens: one statement after another, each ended.)
// clang-format off
EM_JS(int, hearingOpen, (int blockLength), {
    const devices = navigator.mediaDevices;
    if (!devices || !devices.getUserMedia || typeof AudioWorkletNode === "undefined")
        return 0;
    const record = function () {
        registerProcessor("simatoplektis-hearing", class extends AudioWorkletProcessor {
            constructor(options) {
                super();
                this.step = options.processorOptions.step;
                this.length = options.processorOptions.blockLength;
                this.block = new Float32Array(this.length);
                this.filled = 0;
                this.sum = 0;
                this.summed = 0;
            }
            process(inputs) {
                const samples = inputs[0][0];
                if (!samples)
                    return true;
                for (let i = 0; i < samples.length; ++i) {
                    this.sum += samples[i];
                    if (++this.summed < this.step)
                        continue;
                    this.block[this.filled++] = this.sum / this.step;
                    this.sum = 0;
                    this.summed = 0;
                    if (this.filled === this.length) {
                        this.port.postMessage(this.block, [this.block.buffer]);
                        this.block = new Float32Array(this.length);
                        this.filled = 0;
                    }
                }
                return true;
            }
        });
    };
    let context;
    try {
        /* The largest buffers the browser has: nothing here needs to be heard
           soon, and its audio thread late on a busy machine drops samples. */
        context = new AudioContext({ latencyHint: "playback" });
    } catch (error) {
        return 0;
    }
    const hearing = { context: context, step: Math.ceil(context.sampleRate / 48000), blocks: [], error: "",
                      stream: null, closed: false };
    Module.hearings = Module.hearings || new Map();
    Module.lastHearing = (Module.lastHearing || 0) + 1;
    Module.hearings.set(Module.lastHearing, hearing);
    const code = URL.createObjectURL(new Blob(["(" + record.toString() + ")();"], { type: "text/javascript" }));
    /* The voice's own treatment would take a steady tone for noise and fade it out. */
    devices.getUserMedia({ audio: { echoCancellation: false, noiseSuppression: false, autoGainControl: false } })
        .then(function (stream) {
            hearing.stream = stream;
            if (hearing.closed)
                return stream.getTracks().forEach(function (track) { track.stop(); });
            /* A microphone unplugged, or taken back in the browser's own bar. */
            stream.getAudioTracks()[0].onended = function () { hearing.error = hearing.error || "NotFoundError"; };
            return context.audioWorklet.addModule(code).then(function () {
                if (hearing.closed)
                    return;
                const node = new AudioWorkletNode(context, "simatoplektis-hearing",
                    { numberOfOutputs: 1, processorOptions: { step: hearing.step, blockLength: blockLength } });
                node.port.onmessage = function (message) { hearing.blocks.push(message.data); };
                context.createMediaStreamSource(stream).connect(node);
                /* Drawn through to the speaker, silent, for the browser to run it at all. */
                node.connect(context.destination);
                return context.resume();
            });
        })
        .catch(function (error) { hearing.error = error.name || "Error"; })
        .finally(function () { URL.revokeObjectURL(code); });
    return Module.lastHearing;
});

EM_JS(int, hearingRate, (int id), {
    const hearing = Module.hearings.get(id);
    return hearing.context.sampleRate / hearing.step;
});

/* The oldest block into `into` (blockLength samples); false when none waits. */
EM_JS(bool, hearingTake, (int id, float* into), {
    const hearing = Module.hearings.get(id);
    if (!hearing.blocks.length)
        return false;
    HEAPF32.set(hearing.blocks.shift(), into >> 2);
    return true;
});

/* 0 while it hears; 1 refused by the user or the browser; 2 no microphone; 3 another failure. */
EM_JS(int, hearingFailure, (int id), {
    const error = Module.hearings.get(id).error;
    if (!error)
        return 0;
    if (error === "NotAllowedError" || error === "SecurityError")
        return 1;
    return error === "NotFoundError" || error === "OverconstrainedError" ? 2 : 3;
});

/* The microphone released at once (the browser's sign of recording goes), and the context. */
EM_JS(void, hearingClose, (int id), {
    const hearing = Module.hearings.get(id);
    Module.hearings.delete(id);
    hearing.closed = true;
    if (hearing.stream)
        hearing.stream.getTracks().forEach(function (track) { track.stop(); });
    hearing.context.close();
});
// clang-format on

namespace sound {

namespace {

constexpr int blockLength = 2048;

class WebInput final : public InputDevice {
public:
    WebInput(int id, Hearer& hearer) : id_(id), hearer_(hearer)
    {
        hearer_.begin(hearingRate(id_));
        take_.setInterval(50);
        QObject::connect(&take_, &QTimer::timeout, [this] {
            while (hearingTake(id_, block_.data()))
                hearer_.hear(block_);
        });
        take_.start();
    }
    ~WebInput() override { hearingClose(id_); }

    QString failure() const override
    {
        switch (hearingFailure(id_)) {
        case 0:
            return {};
        case 1:
            return u"Ο φυλλομετρητής δεν έδωσε το μικρόφωνο στη σελίδα: "
                   u"επίτρεψέ το στις ρυθμίσεις της σελίδας και πάτησε «Ακρόαση»."_s;
        case 2:
            return QStringView(noMicrophone).toString();
        default:
            return QStringView(microphoneRefused).toString();
        }
    }

private:
    const int id_;
    Hearer& hearer_;
    QTimer take_;
    std::array<float, blockLength> block_{};
};

}  // namespace

std::unique_ptr<InputDevice> openInput(Hearer& hearer, QString& error)
{
    const int id = hearingOpen(blockLength);
    if (id == 0) {
        error = u"Αυτός ο φυλλομετρητής δεν δίνει το μικρόφωνο σε αυτή τη σελίδα."_s;
        return nullptr;
    }
    return std::make_unique<WebInput>(id, hearer);
}

}  // namespace sound
