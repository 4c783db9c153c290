#pragma once
// The microphone: a device that records on a thread of its own and hands
// each block it records to a hearer. On Linux the device lives in the sound
// module beside the output (input_qt.cpp), so these are interfaces alone,
// called through their tables; Windows' and the page's are in the program.

#include <QString>
#include <memory>
#include <span>

namespace sound {

// The rate the input is asked for: the decoder reads Morse from 8,000 a
// second up, and a whistle's 3,500 Hz needs 7,000; PulseAudio and Windows
// convert. The page records at its audio's own rate (input_web.cpp says why).
inline constexpr int inputRate = 16'000;

// What the input device gives: mono, full scale ±1, at the rate it was told
// of first. begin() comes on the thread that opens the input, before any
// block; hear(), on the device's thread.
class Hearer {
public:
    virtual void begin(int rate) = 0;
    virtual void hear(std::span<const float> samples) = 0;
    virtual ~Hearer() = default;
};

// The default input, recording into its hearer until it is deleted, which
// releases it at once.
class InputDevice {
public:
    virtual ~InputDevice() = default;
    // Why it stopped hearing after it opened, in Greek; empty while it
    // hears. The page asks for the microphone only once it is open, and
    // the answer comes later.
    virtual QString failure() const { return {}; }
};

using OpenInput = InputDevice* (*)(Hearer& hearer, QString& error);
inline constexpr char openInputName[] = "simatoplektis_open_input";

// What the box says when there is no input to be had, on every platform.
inline constexpr char16_t noMicrophone[] = u"Δεν βρέθηκε μικρόφωνο.";
inline constexpr char16_t microphoneRefused[]
    = u"Το μικρόφωνο δεν άνοιξε: ίσως το χρησιμοποιεί άλλο πρόγραμμα ή δεν επιτρέπεται.";

// Opens the default input for `hearer`; null, with the reason in Greek in
// `error`, when there is none or it is refused.
std::unique_ptr<InputDevice> openInput(Hearer& hearer, QString& error);

}  // namespace sound
