// Random but realistic playing, delivered through MainWndProc the way the
// system delivers it: presses, auto-repeats and releases in both rows, Ctrl,
// Shift and Caps Lock, Tab, Page Up and Page Down, Home, Space, the arrows
// and Esc, button clicks with their menus, knob and wheel drags, bend and
// modulation ticks, RESET, and the keys lost to another window and given
// back, with soft volumes and banks as a settings file may give them.
// Whatever happened meanwhile, once every key is up and the ramps are over,
// every note started has been stopped and every pedal lifted on its channel,
// the modulation is back at 0, the wire carried only well-formed messages
// and no note-off for a silent note, and both timers are stopped. A press
// strikes at the soft volume with Shift held, else at VOLUME; the modulation
// is up only on the active section's channel, and never after RESET.
// Whenever the keys are lost, to another window or to a menu, nothing
// sounds and both timers are stopped at once. Each section starts with a
// chord type, a strum and a latch of its own; a strum's one-shots fire now
// and then, their messages sometimes delivered only with the next event's;
// the chords latched are let go by CHORD before the end's silence. A MIDI
// input, split at a note of the seed's, sends notes (note-offs also as
// velocity 0), its pedal, bends, its modulation, program changes, a
// controller and channel pressure on any channel; the keys lost do not end
// what it holds, and it lets go of all before the end. Scroll Lock, and
// another program's window in front, its keys through the low-level hook.
//
// Seeds 1..DEFAULT_SEEDS run by default. TONVALE_PROPERTY_SEEDS=<n> runs
// seeds 1..n (a long run); TONVALE_PROPERTY_SEED=<seed> replays one seed and
// prints its events.
#include "app/commands.h"
#include "app/main_window.h"
#include "devices/popup_menus.h"
#include "display/panel_layout.h"
#include "input/background_keys.h"
#include "input/keyboard_input.h"
#include "input/pitch_bend.h"
#include "model/key_map.h"
#include "model/key_table.h"
#include "model/performance.h"
#include "port/midi_in_port.h"
#include "port/take_recorder.h"
#include "settings/settings.h"
#include "tests/property/wire_check.h"
#include "tests/unit/midi_file_reader.h"
#include "tests/unit/program_test.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <csignal>

namespace {

const uint32_t DEFAULT_SEEDS = 2000;
const int MAX_BEND_TICKS = 200;
const int MAX_KEYS_HELD = 6; // two hands on a computer keyboard
const size_t FAILURES_SHOWN = 3;
const size_t SUMMARIES_SHOWN = 100;

struct PhysicalKey {
    const char* name;
    WPARAM virtualKey;
    unsigned scanCode;
    char character; // what TranslateMessage makes of it unshifted; 0: nothing
};

// Section 0's row, section 1's row, then the keys that play no note.
// clang-format off
const PhysicalKey KEYS[] = {
    {"Q", 'Q', 0x10, 'q'}, {"2", '2', 0x03, '2'}, {"W", 'W', 0x11, 'w'},
    {"3", '3', 0x04, '3'}, {"E", 'E', 0x12, 'e'}, {"R", 'R', 0x13, 'r'},
    {"5", '5', 0x06, '5'}, {"T", 'T', 0x14, 't'}, {"6", '6', 0x07, '6'},
    {"Y", 'Y', 0x15, 'y'}, {"7", '7', 0x08, '7'}, {"U", 'U', 0x16, 'u'},
    {"I", 'I', 0x17, 'i'}, {"9", '9', 0x0A, '9'}, {"O", 'O', 0x18, 'o'},
    {"0", '0', 0x0B, '0'}, {"P", 'P', 0x19, 'p'}, {"Z", 'Z', 0x2C, 'z'},
    {"S", 'S', 0x1F, 's'}, {"X", 'X', 0x2D, 'x'}, {"D", 'D', 0x20, 'd'},
    {"C", 'C', 0x2E, 'c'}, {"V", 'V', 0x2F, 'v'}, {"G", 'G', 0x22, 'g'},
    {"B", 'B', 0x30, 'b'}, {"H", 'H', 0x23, 'h'}, {"N", 'N', 0x31, 'n'},
    {"J", 'J', 0x24, 'j'}, {"M", 'M', 0x32, 'm'}, {",", 0xBC, 0x33, ','},
    {"L", 'L', 0x26, 'l'}, {".", 0xBE, 0x34, '.'}, {";", 0xBA, 0x27, ';'},
    {"/", 0xBF, 0x35, '/'}, {"Ctrl", VK_CONTROL, 0x1D, 0}, {"Caps Lock", VK_CAPITAL, 0x3A, 0},
    {"Tab", VK_TAB, 0x0F, '\t'}, {"Page Up", VK_PRIOR, 0x49, 0}, {"Page Down", VK_NEXT, 0x51, 0},
    {"Space", VK_SPACE, 0x39, ' '}, {"Esc", VK_ESCAPE, 0x01, 0x1B}, {"Left", VK_LEFT, 0x4B, 0},
    {"Right", VK_RIGHT, 0x4D, 0}, {"Up", VK_UP, 0x48, 0}, {"Down", VK_DOWN, 0x50, 0},
    {"F5", 0x74, 0x3F, 0}, {"[", 0xDB, 0x1A, '['}, {"F10", 0x79, 0x44, 0},
    {"Right Ctrl", VK_CONTROL, KEY_EXTENDED | 0x1D, 0}, {"Scan 9F", 0, 0x9F, 0}, {"Shift", VK_SHIFT, 0x2A, 0},
    {"Right Shift", VK_SHIFT, 0x36, 0}, {"Home", VK_HOME, KEY_EXTENDED | 0x47, 0}, {"Scroll Lock", VK_SCROLL, 0x46, 0},
    {"F9", VK_F9, 0x43, 0},
};
// clang-format on
const int KEY_TOTAL = (int)(sizeof KEYS / sizeof KEYS[0]);
const int NOTE_KEYS = 2 * KEY_COUNT;
const int CONTROL_KEY = NOTE_KEYS;
const int CAPS_LOCK_KEY = NOTE_KEYS + 1;
const int RIGHT_CONTROL_KEY = NOTE_KEYS + 14;
const int SPACE_KEY = NOTE_KEYS + 5;
const int ESCAPE_KEY = NOTE_KEYS + 6;
const int SHIFT_KEY = NOTE_KEYS + 16, RIGHT_SHIFT_KEY = NOTE_KEYS + 17, SCROLL_LOCK_KEY = NOTE_KEYS + 19;
static_assert(KEY_TOTAL == NOTE_KEYS + 21, "both rows and twenty-one more keys, F9 last");
const char* const LAYOUT_NAMES[] = {"Split", "Single", "Custom"};

const char* const BUTTON_NAMES[] = {"PATCH", "CHAN.", "OCTAVE", "VOLUME", "TRANS.", "CHORD", "+", "-"};

std::string pointText(POINT p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

std::string itemText(UINT id) {
    if (id >= CMD_OCTAVE_ITEMS) return "Octave " + std::to_string(id - CMD_OCTAVE_ITEMS);
    if (id >= CMD_CHANNEL_ITEMS) return "Channel " + std::to_string(id - CMD_CHANNEL_ITEMS + 1);
    return "patch " + std::to_string(id - CMD_PATCH_ITEMS);
}

void send(UINT message, WPARAM wParam, LPARAM lParam) { MainWndProc(fake::WINDOW, message, wParam, lParam); }
void sendPointer(UINT message, POINT p) { send(message, 0, fake::pointData(p.x, p.y)); }

// One sequence of events from one seed, played and checked.
class PlayingRun {
public:
    explicit PlayingRun(uint32_t seed) : seed(seed), random(seed) {}

    void play() {
        chooseLayout();
        chooseSectionsAndBanks();
        g_model.splitNote = below(2) ? 48 + below(25) : below(128);
        events.push_back("split at note " + std::to_string(g_model.splitNote));
        g_model.backgroundArmed = below(2) == 0;
        g_backgroundKeys.passKeys = below(4) == 0;
        startBackgroundKeys(fake::WINDOW, MainWndProc);
        loadSettings(); // names the file: none is there
        watchSettings(fake::WINDOW);
        g_settings.saved = capturedSettings();
        g_settings.savedKnown = true;
        const int length = 24 + below(177);
        for (int i = 0; i < length; ++i) randomEvent();
        if (behind) comeToTheFront();
        for (int k = 0; k < KEY_TOTAL; ++k) {
            if (down[k]) event(std::string("release ") + KEYS[k].name, [&] { keyMessage(k, true); });
        }
        for (const DWORD message : WireCheck::inputReleases()) inputMessage(message);
        for (int32_t s = 0; s < SECTION_COUNT; ++s) {
            if (g_model.sections[s].latch && chordModeOn(s)) clickButton(s, ParamId::CHORD);
        }
        wire.expect(fake::timeEventsPending() == 0, "a strum's timer still set at the end", events.size() - 1);
        events.push_back("bend and modulation ticks until their timers stop");
        wire.tickUntilRampsStop(events.size() - 1, MAX_BEND_TICKS);
        wire.expectSilence("at the end");
        if (learningKey()) event("press Esc", [&] { keyMessage(ESCAPE_KEY, false), keyMessage(ESCAPE_KEY, true); });
        if (g_recorder.recording)
            event("press F9", [&] { keyMessage(KEY_TOTAL - 1, false), keyMessage(KEY_TOTAL - 1, true); });
        checkTakes();
    }

    bool failed() const { return wire.failed(); }
    size_t length() const { return events.size(); }

    std::string report() const {
        std::string text = "seed " + std::to_string(seed) + " (TONVALE_PROPERTY_SEED=" + std::to_string(seed) + "):\n";
        for (const std::string& violation : wire.found()) text += "  " + violation + "\n";
        for (size_t i = 0; i < events.size(); ++i) text += "    " + std::to_string(i) + ": " + events[i] + "\n";
        return text;
    }

    std::string summary() const { return "seed " + std::to_string(seed) + ": " + wire.first(); }

private:
    int below(int n) { return (int)(random() % (uint32_t)n); }

    POINT inside(const RECT& r) { return POINT{r.left + below(r.right - r.left), r.top + below(r.bottom - r.top)}; }

    // Noted before it runs, so that a crash in it is reported with it.
    template <class Action>
    void event(std::string what, Action action) {
        events.push_back(std::move(what));
        pedalExpected = -1;
        const bool wasRecording = g_recorder.recording;
        action();
        // The action's own note-ons strike at its touch; a strum's message
        // left waiting arrives after the next event, and strikes at its own.
        struck.clear();
        const size_t actionCalls = fake::callCount();
        if (!keepPosted) fake::dispatchPosted();
        keepPosted = false;
        for (size_t i = 0; i < fake::callCount(); ++i) {
            const DWORD message = (DWORD)fake::call(i).args[1];
            const bool noteOn = fake::call(i).fn == fake::Fn::midiOutShortMsg && (message & 0xF0) == 0x90;
            if (noteOn && i < actionCalls) struck.push_back(message >> 16);
            if (g_recorder.recording) hear(fake::call(i));
        }
        if (wasRecording && !g_recorder.recording) endHeard();
        const size_t at = events.size() - 1;
        wire.readLog(at);
        expectWhatTheKeysLeft(at);
    }

    // Ctrl, Shift and Caps Lock as the key messages left them; the pedal
    // down on the channel active at Space; the modulation up on the active
    // channel alone; a setting selected of the five; and a change of what is
    // kept either saved or waiting to be.
    void expectWhatTheKeysLeft(size_t at) {
        wire.expect(!modifiersSeen || (g_modifiers.leftControl == down[CONTROL_KEY] &&
                                       g_modifiers.rightControl == down[RIGHT_CONTROL_KEY]),
                    "Ctrl not as its keys left it", at);
        wire.expect(!modifiersSeen || g_modifiers.capsLock == capsLockOn, "Caps Lock not as its presses left it", at);
        wire.expect(!modifiersSeen ||
                        (g_modifiers.leftShift == down[SHIFT_KEY] && g_modifiers.rightShift == down[RIGHT_SHIFT_KEY]),
                    "Shift not as its keys left it", at);
        const int32_t active = paramValue(g_model.sections[g_model.activeSection], ParamId::CHANNEL);
        wire.expect(!wire.modulatedBeyond(1u << active | g_model.inputModulation.channels),
                    "the modulation up on a channel the active section left", at);
        if (pedalExpected >= 0)
            wire.expect(wire.lastPedalDown() == pedalExpected, "the pedal down on another channel", at);
        for (const KeyboardSection& section : g_model.sections) {
            wire.expect(section.selectedParam >= 0 && section.selectedParam < SELECTABLE_PARAM_COUNT,
                        "a setting selected beyond PATCH..CHORD", at);
        }
        const Settings now = capturedSettings();
        wire.expect(fake::timerRunning(TIMER_SETTINGS_SAVE) || std::memcmp(&now, &g_settings.saved, sizeof now) == 0,
                    "a changed setting that will not be saved", at);
    }

    // A note as a take's file should hold it, by channel: "on 60", "off 60".
    void heardNote(int channel, bool on, int note) {
        heard[channel].push_back((on ? "on " : "off ") + std::to_string(note));
        sounding[channel * 128 + note] = std::max(sounding[channel * 128 + note] + (on ? 1 : -1), 0);
    }

    // A call while a take is recorded: its notes, and a reset ending every note at once.
    void hear(const fake::Call& call) {
        const DWORD m = (DWORD)call.args[1];
        if (call.fn == fake::Fn::midiOutReset) endHeard();
        if (call.fn == fake::Fn::midiOutShortMsg && (m & 0xE0) == 0x80)
            heardNote(m & 0x0F, (m & 0xF0) == 0x90 && (m >> 16 & 0x7F) > 0, m >> 8 & 0x7F);
    }

    // Every note sounding ended, the lowest first, as a reset or the take's end leaves the file.
    void endHeard() {
        for (int i = 0; i < 16 * 128; ++i) {
            while (sounding[i] > 0) heardNote(i / 128, false, i % 128);
        }
    }

    // The takes, read strictly in the order they were made, hold the notes
    // the wire carried while recording, each ended where a reset or the
    // take's stop ended it.
    void checkTakes() {
        settleTakes();
        Lines paths = fake::filePaths();
        std::sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
            return a.size() != b.size() ? a.size() < b.size() : a < b; // "x.mid", "x (2).mid", ... "x (10).mid"
        });
        Lines inFiles[16];
        for (const std::string& path : paths) {
            if (path.compare(path.size() - 4, 4, ".mid") != 0) continue; // the settings
            for (const std::string& line : readMidiFile(*fake::fileContent(path))) {
                char kind[4] = {};
                unsigned status = 0, note = 0, velocity = 0;
                if (std::sscanf(line.c_str(), "%*u %*u note-%3s %x %u %u", kind, &status, &note, &velocity) != 4)
                    continue;
                const bool on = kind[1] == 'n' && velocity > 0;
                inFiles[status & 0x0F].push_back((on ? "on " : "off ") + std::to_string(note));
            }
        }
        if (!std::equal(std::begin(heard), std::end(heard), std::begin(inFiles)))
            wire.note("the takes' notes are not those the wire carried, ended where a reset or the stop ended them",
                      "");
    }

    // Each section's chord type (any, Off included), its strum (none half
    // the time), its latch and its soft volume, and a bank for some
    // channels, as a settings file would give them.
    void chooseSectionsAndBanks() {
        std::string what;
        for (int32_t s = 0; s < SECTION_COUNT; ++s) {
            KeyboardSection& section = g_model.sections[s];
            section.values[ParamId::CHORD] = below(ChordType::COUNT);
            if (chordModeOn(s)) section.lastChordType = section.values[ParamId::CHORD];
            section.strumMs = below(2) ? 0 : 1 + below(STRUM_MAX_MS);
            section.latch = below(2) == 0;
            section.softVolume = 1 + below(127);
            what += "section " + std::to_string(s) + ": chord type " + std::to_string(section.values[ParamId::CHORD]) +
                    ", strum " + std::to_string(section.strumMs) + " ms" + (section.latch ? ", latch on" : "") +
                    ", soft volume " + std::to_string(section.softVolume) + "; ";
        }
        what += "banks:";
        for (ChannelBank& bank : g_model.channelBanks) {
            bank = below(3) ? ChannelBank{} : ChannelBank{true, below(BANK_COUNT)};
            what += bank.set ? " " + std::to_string(bank.number) : " -";
        }
        events.push_back(what);
    }

    // What GetKeyState reports: the high bit while held, Caps Lock's
    // toggle in the low bit.
    void updateKeyState() {
        for (const PhysicalKey& key : KEYS) fake::script.keyState[key.virtualKey] = 0;
        for (int k = 0; k < KEY_TOTAL; ++k) fake::script.keyState[KEYS[k].virtualKey] |= down[k] ? (SHORT)0xFF80 : 0;
        fake::script.keyState[VK_LCONTROL] = down[CONTROL_KEY] ? (SHORT)0xFF80 : 0;
        fake::script.keyState[VK_RCONTROL] = down[RIGHT_CONTROL_KEY] ? (SHORT)0xFF80 : 0;
        fake::script.keyState[VK_CONTROL] = fake::script.keyState[VK_LCONTROL] | fake::script.keyState[VK_RCONTROL];
        fake::script.keyState[VK_CAPITAL] = (SHORT)((down[CAPS_LOCK_KEY] ? 0xFF80 : 0) | (capsLockOn ? 1 : 0));
        fake::script.keyState[VK_LSHIFT] = down[SHIFT_KEY] ? (SHORT)0xFF80 : 0;
        fake::script.keyState[VK_RSHIFT] = down[RIGHT_SHIFT_KEY] ? (SHORT)0xFF80 : 0;
    }

    char characterOf(const PhysicalKey& key) const {
        const char c = key.character;
        const bool letter = c >= 'a' && c <= 'z';
        if (down[CONTROL_KEY] || down[RIGHT_CONTROL_KEY]) return letter ? (char)(c - 'a' + 1) : 0; // Ctrl+I: a tab
        return letter && capsLockOn ? (char)(c - 'a' + 'A') : c;
    }

    // Split, Single, or the player's own: any of the keys on any offset of
    // any section, several keys on one note, the other keys playing nothing.
    void chooseLayout() {
        const int layout = below(3);
        if (layout == KEYS_CUSTOM) {
            for (const PhysicalKey& key : KEYS) {
                if (reservedKey((int32_t)key.scanCode) || below(3) == 0) continue;
                g_keyMap.custom[key.scanCode] = KeyBinding{(uint8_t)below(4), (uint8_t)below(40)};
            }
        }
        events.push_back(std::string("keys laid out as ") + LAYOUT_NAMES[layout]);
        useKeyLayout(layout);
    }

    // A press strikes its notes at its section's soft volume with Shift held, else at its VOLUME.
    void expectTouch(int k, bool shifted) {
        const KeyVoices& owner = g_model.held[KEYS[k].scanCode];
        const KeyboardSection& section = g_model.sections[owner.section];
        const int32_t velocity = shifted ? section.softVolume : paramValue(section, ParamId::VOLUME);
        for (const unsigned v : struck)
            wire.expect(owner.count > 0 && (int32_t)v == velocity, "a note struck otherwise than its touch",
                        events.size() - 1);
    }

    // A press (down[k] false) or a repeat, or with goingUp a release; the
    // key state changes first, as the system has it at the key's message.
    // Now and then it comes with Alt held, as the system's own key message.
    // A press again with its first press's bits (its release went elsewhere)
    // is a press all the same.
    void keyMessage(int k, bool goingUp, bool withAlt = false, bool again = false) {
        const bool held = down[k];
        const bool wasDown = held && !again;
        const bool seen = !behind || g_model.backgroundArmed; // by the window or the hook
        if (k == CAPS_LOCK_KEY && !wasDown && !goingUp) capsLockOn = !capsLockOn;
        if (k == SPACE_KEY && !wasDown && !goingUp && !withAlt && !learningKey() && !g_model.inputPedal && seen) {
            pedalExpected = paramValue(g_model.sections[g_model.activeSection], ParamId::CHANNEL);
        }
        const bool modifier = k == CONTROL_KEY || k == RIGHT_CONTROL_KEY || k == CAPS_LOCK_KEY || k == SHIFT_KEY ||
                              k == RIGHT_SHIFT_KEY;
        modifiersSeen = modifiersSeen && (seen || !modifier);
        down[k] = !goingUp;
        updateKeyState();
        // The system hands the key to the hook first, then to a hotkey, then to the window in front.
        const bool armed = g_model.backgroundArmed;
        const bool kept = fake::lowLevelKey(KEYS[k].virtualKey, KEYS[k].scanCode, goingUp, withAlt);
        const bool hotKey = k == SCROLL_LOCK_KEY && !wasDown && !goingUp && !withAlt && fake::hotKey(VK_SCROLL);
        if (behind && k != SCROLL_LOCK_KEY) expectBehind(k, goingUp || held, withAlt, armed, kept);
        if (behind || kept || hotKey) return;
        const LPARAM data = fake::keyData(KEYS[k].scanCode, wasDown, goingUp);
        const UINT message = goingUp ? WM_KEYUP : WM_KEYDOWN;
        send(withAlt ? message + (WM_SYSKEYDOWN - WM_KEYDOWN) : message, KEYS[k].virtualKey, data);
        // TranslateMessage's character is posted, and comes before the next input.
        const char c = characterOf(KEYS[k]);
        if (!goingUp && c != 0) send(WM_CHAR, (unsigned char)c, data);
    }

    // Behind another program's window, disarmed, nothing plays; armed, a
    // press of a key that plays is kept from that window (unless PassKeys),
    // and no other key is, nor any with Alt held.
    void expectBehind(int k, bool pressedBefore, bool withAlt, bool armed, bool kept) {
        const size_t at = events.size() - 1;
        wire.expect(armed || fake::count(fake::Fn::midiOutShortMsg) == 0, "a key behind played, disarmed", at);
        const bool plays = bindingOf((int32_t)KEYS[k].scanCode).target != PLAYS_NOTHING || k == SPACE_KEY ||
                           KEYS[k].virtualKey == VK_PRIOR || KEYS[k].virtualKey == VK_NEXT || KEYS[k].virtualKey == VK_HOME;
        const bool keep = armed && plays && !withAlt && !g_backgroundKeys.passKeys;
        wire.expect(pressedBefore || kept == keep, "a key pressed behind kept or passed wrongly", at);
    }

    // Another program's window takes the keys: disarmed, everything held
    // ends; armed, it plays on behind.
    void goBehind() {
        event("another program's window comes to the front", [] {
            fake::script.foreground = fake::OTHER_WINDOW;
            send(WM_KILLFOCUS, 0, 0);
        });
        behind = true;
        if (!g_model.backgroundArmed) expectKeysLost("once another program's window had the keys");
    }

    void comeToTheFront() {
        event("the window comes to the front again", [] {
            fake::script.foreground = fake::WINDOW;
            send(WM_SETFOCUS, 0, 0);
        });
        behind = false;
        modifiersSeen = true; // read anew
    }

    // Presses mostly play a note; any key held may repeat or be let go.
    int pickKey(bool isDown) {
        const bool noteKey = below(100) < 85;
        std::vector<int> candidates;
        for (int k = 0; k < KEY_TOTAL; ++k) {
            if (down[k] != isDown || (!isDown && (k < NOTE_KEYS) != noteKey)) continue;
            candidates.push_back(k);
        }
        return candidates.empty() ? -1 : candidates[below((int)candidates.size())];
    }

    bool press() {
        if (std::count(down, down + KEY_TOTAL, true) >= MAX_KEYS_HELD) return false;
        const int k = pickKey(false);
        if (k < 0) return false;
        const bool alt = below(10) == 0;
        const KeyMap before = g_keyMap;
        const bool shifted = down[SHIFT_KEY] || down[RIGHT_SHIFT_KEY];
        event(std::string(alt ? "Alt, press " : "press ") + KEYS[k].name, [&] { keyMessage(k, false, alt); });
        if (modifiersSeen && !(behind && !g_model.backgroundArmed)) expectTouch(k, shifted);
        if (before.markedBed != NO_KEY && !behind) expectLearned((int32_t)KEYS[k].scanCode, before);
        return true;
    }

    // A key pressed while a bed's key was marked plays, from then on, the
    // note that key shows (an octave up on Single's upper bed), and every
    // other key plays as it did; a key with a meaning of its own is refused.
    void expectLearned(int32_t keyId, const KeyMap& before) {
        const size_t at = events.size() - 1;
        if (reservedKey(keyId)) { // Esc lets the mark go
            wire.expect(learningKey() == (keyId != 0x01), "a key with a meaning of its own learned", at);
            return;
        }
        const bool single = before.view == KEYS_SINGLE;
        const uint8_t target = single ? PLAYS_ACTIVE : before.markedBed == 0 ? PLAYS_LEFT : PLAYS_RIGHT;
        const int32_t offset = (single ? before.markedBed * 12 : 0) + before.markedKey;
        const KeyBinding& learned = g_keyMap.playing[keyId];
        wire.expect(learned.target == target && learned.offset == offset, "a learned key plays another note", at);
        for (int32_t other = 0; other < KEY_ID_COUNT; ++other) {
            const KeyBinding& was = before.playing[other];
            const KeyBinding& now = g_keyMap.playing[other];
            if (other != keyId && (was.target != now.target || was.offset != now.offset)) {
                wire.expect(false, "learning a key changed another", at);
                return;
            }
        }
    }

    bool repeatOrRelease(bool release) {
        const int k = pickKey(true);
        if (k < 0) return false;
        const bool alt = below(10) == 0;
        const bool again = !release && !behind && below(8) == 0; // behind, the hook sees every release
        event(std::string(alt ? "Alt, " : "") +
                  (release ? "release "
                   : again ? "press again "
                           : "repeat ") +
                  KEYS[k].name,
              [&] { keyMessage(k, release, alt, again); });
        return true;
    }

    // A right click on a key of a bed: the next key pressed is to play it.
    void markKeyToLearn() {
        const int32_t bed = below(SECTION_COUNT);
        const int32_t k = below(KEY_COUNT);
        const RECT& keys = sectionKeyBedRect(bed);
        const POINT p = {keys.left + KEY_OFFSETS[k] + 5, keys.top + (isBlackKey(k) ? 40 : 110)};
        event("right click on key " + std::to_string(k) + " of bed " + std::to_string(bed),
              [&] { sendPointer(WM_RBUTTONDOWN, p); });
    }

    // The menu's choice is posted and delivered after the press is handled;
    // the release follows.
    void click(POINT p) {
        sendPointer(WM_LBUTTONDOWN, p);
        fake::dispatchPosted();
        sendPointer(WM_LBUTTONUP, p);
    }

    void clickButton(int32_t s, int32_t id) {
        const POINT p = inside(sectionButtonRect(s, id));
        event(std::string("click ") + BUTTON_NAMES[id] + " of section " + std::to_string(s) + " at " + pointText(p),
              [&] { click(p); });
    }

    void clickParameterWithMenu() {
        const int32_t s = below(SECTION_COUNT);
        const int32_t id = below(ParamId::TRANSPOSE + 1);
        UINT choice = 0;
        if (id == ParamId::PATCH) choice = CMD_PATCH_ITEMS + below(128);
        if (id == ParamId::CHANNEL) choice = CMD_CHANNEL_ITEMS + below(CHANNEL_COUNT);
        if (id == ParamId::OCTAVE) choice = CMD_OCTAVE_ITEMS + below(11);
        if (below(8) == 0) choice = 0; // the menu closed without a choice
        fake::script.menuChoice = choice;
        const POINT p = inside(sectionButtonRect(s, id));
        std::string what = std::string("click ") + BUTTON_NAMES[id] + " of section " + std::to_string(s);
        if (id <= ParamId::OCTAVE) what += choice ? ", choose " + itemText(choice) : ", close the menu";
        event(what, [&] { click(p); });
        fake::script.menuChoice = 0;
        if (id <= ParamId::OCTAVE) expectKeysLost("once a menu had the keys");
    }

    // The input's message, on any channel, as the system hands it over.
    void inputMessage(DWORD message) {
        event("input " + fake::describeShortMessage(message),
              [&] { send(MM_MIM_DATA, (WPARAM)g_input.handle, (LPARAM)message); });
    }

    // Notes about the split (note-offs as 0x80 or velocity 0), the pedal, the
    // modulation, bends, a program change, pressure, the volume, a clock.
    void playInput() {
        static const DWORD KINDS[] = {0x90, 0x90, 0x80, 0xB0 | 64 << 8, 0xB0 | 1 << 8, 0xE0, 0xC0, 0xD0, 0x07B0, 0xF8};
        const DWORD kind = KINDS[below(10)] | below(16), n = 36 + below(48);
        const DWORD value = (kind & 0xF0) == 0x90 && below(4) == 0 ? 0 : below(128);
        inputMessage(kind & 0xFF00 ? kind | value << 16 : kind | n << 8 | value << 16);
    }

    void expectKeysLost(const std::string& moment) {
        if (WireCheck::inputHolds()) return; // the input plays on
        wire.expectSilence(moment);
        wire.expectRampsStopped(events.size() - 1, moment);
        wire.expect(fake::timeEventsPending() == 0, "a strum's timer still set " + moment, events.size() - 1);
    }

    // Another window has the keys a while: each held key is let go there
    // or still held when they come back, and Caps Lock may change there.
    void loseAndRegainTheKeys() {
        const size_t inputNotes = WireCheck::inputReleases().size();
        event("another window takes the keys", [] { send(WM_KILLFOCUS, 0, 0); });
        wire.expect(WireCheck::inputReleases().size() == inputNotes, "the keys lost ended an input note",
                    events.size() - 1);
        expectKeysLost("once another window had the keys");
        std::string what = "the keys come back";
        // The hook, if in, sees what the other window gets.
        for (int k = 0; k < KEY_TOTAL; ++k) {
            if (!down[k] || below(2) == 0) continue;
            down[k] = false;
            fake::lowLevelKey(KEYS[k].virtualKey, KEYS[k].scanCode, true);
            what += std::string(", ") + KEYS[k].name + " let go meanwhile";
        }
        if (!down[CAPS_LOCK_KEY] && below(4) == 0) {
            capsLockOn = !capsLockOn;
            fake::lowLevelKey(VK_CAPITAL, 0x3A, false), fake::lowLevelKey(VK_CAPITAL, 0x3A, true);
            what += ", Caps Lock toggled meanwhile";
        }
        updateKeyState();
        event(what, [] { send(WM_SETFOCUS, 0, 0); });
        modifiersSeen = true;
    }

    // Pressed in the control, moved about (beyond the window too, the mouse
    // being captured), released.
    void drag(const RECT& control, const char* name, bool horizontal) {
        POINT p = inside(control);
        std::vector<POINT> moves{p};
        std::string what = std::string("drag the ") + name + " from " + pointText(p) + " through";
        for (int i = 1 + below(6); i > 0; --i) {
            if (horizontal) p.x += below(121) - 60;
            if (!horizontal) p.y += below(121) - 60;
            moves.push_back(p);
            what += " " + pointText(p);
        }
        event(what, [&] {
            sendPointer(WM_LBUTTONDOWN, moves.front());
            for (size_t i = 1; i < moves.size(); ++i) sendPointer(WM_MOUSEMOVE, moves[i]);
            sendPointer(WM_LBUTTONUP, moves.back());
        });
    }

    bool tick() {
        const UINT_PTR timer = below(2) ? TIMER_BEND_RAMP : TIMER_MODULATION;
        if (!fake::timerRunning(timer)) return false;
        event(timer == TIMER_BEND_RAMP ? "bend tick" : "modulation tick", [&] { send(WM_TIMER, timer, 0); });
        return true;
    }

    // The system's timer thread posts; the window gets the message at once,
    // or after the next event of the user's.
    bool strumOneShot() {
        if (fake::timeEventsPending() == 0) return false;
        const bool late = below(4) == 0;
        event(late ? "a strum's one-shot fires, its message waiting" : "a strum's one-shot fires", [&] {
            fake::fireNextTimeEvent();
            keepPosted = late;
        });
        return true;
    }

    // A menu command with no menu of its own open: another program, or a
    // choice arriving late.
    void strayCommand() {
        const UINT bases[] = {CMD_PATCH_ITEMS, CMD_CHANNEL_ITEMS, CMD_OCTAVE_ITEMS};
        const UINT counts[] = {128, CHANNEL_COUNT, 11};
        const int menu = below(3);
        const UINT id = bases[menu] + below((int)counts[menu]);
        event("a stray command " + std::to_string(id) + " (" + itemText(id) + ")", [&] { send(WM_COMMAND, id, 0); });
    }

    bool randomEvent(int what) {
        switch (what) {
        case 0: return press();
        case 1: return repeatOrRelease(false);
        case 2: return repeatOrRelease(true);
        case 3: clickButton(below(SECTION_COUNT), ParamId::CHORD); return true;
        case 4: clickButton(below(SECTION_COUNT), below(2) ? ParamId::PLUS : ParamId::MINUS); return true;
        case 5: clickParameterWithMenu(); return true;
        case 6: drag(knobRect, "knob", true); return true;
        case 7: drag(wheelRect, "wheel", false); return true;
        case 8: return tick();
        case 9: {
            const POINT p = inside(topButtonRects[TOP_BUTTON_RESET]);
            event("click RESET at " + pointText(p), [&] { click(p); });
            wire.expect(!wire.modulatedBeyond(0), "the modulation up after RESET", events.size() - 1);
            return true;
        }
        case 10: strayCommand(); return true;
        case 11: markKeyToLearn(); return true;
        case 12:
            if (!fake::timerRunning(TIMER_SETTINGS_SAVE)) return false;
            event("the settings' wait ends", [] { send(WM_TIMER, TIMER_SETTINGS_SAVE, 0); });
            return true;
        case 13: return strumOneShot();
        case 14: playInput(); return true;
        case 15:
            if (behind) return false;
            loseAndRegainTheKeys();
            return true;
        case 16: behind ? comeToTheFront() : goBehind(); return true;
        default: // the keys held let go where no hook sees them
            event("the session is locked", [] { send(WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0); });
            expectKeysLost("once the session was locked");
            std::fill(down, down + KEY_TOTAL, false);
            updateKeyState();
            modifiersSeen = false;
            return true;
        }
    }

    void randomEvent() {
        // press, repeat, release, CHORD, + or -, parameter, knob, wheel, tick, RESET, stray command, key to
        // learn, settings timer, strum one-shot, input, keys lost, another window in front or not, session locked
        static const int WEIGHTS[] = {30, 10, 27, 4, 6, 7, 6, 2, 12, 1, 1, 1, 3, 10, 30, 2, 3, 1};
        int total = 0;
        for (int w : WEIGHTS) total += w;
        for (;;) {
            int r = below(total);
            int what = 0;
            while (r >= WEIGHTS[what]) r -= WEIGHTS[what++];
            if (randomEvent(what)) return;
        }
    }

    uint32_t seed;
    std::mt19937 random;
    bool down[KEY_TOTAL] = {};
    bool capsLockOn = false;
    int pedalExpected = -1; // the channel Space is to put the pedal down on in this event
    bool keepPosted = false;   // the event's posted messages wait for the next
    bool behind = false;       // another program's window in front
    bool modifiersSeen = true; // every Ctrl, Shift and Caps Lock since the last look reached the program
    std::vector<std::string> events;
    std::vector<unsigned> struck; // the velocities of the event's note-ons
    WireCheck wire{true};
    Lines heard[16];             // by channel, what the takes should hold
    int sounding[16 * 128] = {}; // by channel and note, in the takes as heard so far
};

const PlayingRun* g_currentRun = nullptr;

// A sanitizer's finding ends the process: tell what was being played first.
// The sanitizers abort rather than exit, so that this handler runs.
void reportCurrentRun(int) {
    if (g_currentRun) std::fprintf(stderr, "while playing %s", g_currentRun->report().c_str());
}

uint32_t fromEnvironment(const char* name, uint32_t otherwise) {
    const char* value = std::getenv(name);
    return value && *value ? (uint32_t)std::strtoul(value, nullptr, 10) : otherwise;
}

class PlayingProperty : public ProgramTest {
protected:
    // The fixture's start state, with the window procedure registered so that
    // commands and menu choices reach it, and the three menus made.
    void startProgram() {
        ProgramTest::SetUp();
        registerMainClass(fake::INSTANCE);
        g_menus.PatchMenu = CreatePopupMenu();
        g_menus.ChannelMenu = CreatePopupMenu();
        g_menus.OctaveMenu = CreatePopupMenu();
        fake::script.inputCount = 1;
        openInputNamed(fake::WINDOW, "Input 0");
        fake::clearLog();
    }
};

TEST_F(PlayingProperty, EveryNoteStartedStopsAndTheWireStaysClean) {
    std::signal(SIGABRT, reportCurrentRun);
    const uint32_t replay = fromEnvironment("TONVALE_PROPERTY_SEED", 0);
    const uint32_t first = replay ? replay : 1;
    const uint32_t last = replay ? replay : fromEnvironment("TONVALE_PROPERTY_SEEDS", DEFAULT_SEEDS);
    struct Failure {
        size_t length;
        std::string report;
        std::string summary;
    };
    std::vector<Failure> failures;
    for (uint32_t seed = first; seed <= last; ++seed) {
        startProgram();
        PlayingRun run(seed);
        g_currentRun = &run;
        run.play();
        g_currentRun = nullptr;
        if (replay) std::printf("%s", run.report().c_str());
        if (run.failed()) failures.push_back(Failure{run.length(), run.report(), run.summary()});
    }
    if (failures.empty()) return;
    // The shortest first: they are the easiest to read and replay.
    std::stable_sort(failures.begin(), failures.end(),
                     [](const Failure& a, const Failure& b) { return a.length < b.length; });
    std::string text = std::to_string(failures.size()) + " of " + std::to_string(last - first + 1) + " seeds failed\n";
    for (size_t i = 0; i < failures.size() && i < FAILURES_SHOWN; ++i) text += failures[i].report;
    text += "failing seeds, with their first violation:\n";
    for (size_t i = 0; i < failures.size() && i < SUMMARIES_SHOWN; ++i) text += "  " + failures[i].summary + "\n";
    ADD_FAILURE() << text;
}

} // namespace

#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __asan_default_options() { return "abort_on_error=1"; }
extern "C" const char* __ubsan_default_options() { return "abort_on_error=1:print_stacktrace=1"; }
#endif
