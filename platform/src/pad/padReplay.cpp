// Recorded controller input for headless runs: a small text file of changes,
// each naming the retrace from which a port reports a given state.

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "pad/pad_local.h"

namespace pad {
namespace {

struct ButtonName {
    const char* sName;
    uint16_t button;
};

// L and R are the triggers' digital bits; a line wanting the analogue travel
// too gives the trigger values.
const ButtonName kButtonNames[] = {
    {"A", PAD_BUTTON_A},         {"B", PAD_BUTTON_B},         {"X", PAD_BUTTON_X},
    {"Y", PAD_BUTTON_Y},         {"Z", PAD_TRIGGER_Z},        {"L", PAD_TRIGGER_L},
    {"R", PAD_TRIGGER_R},        {"START", PAD_BUTTON_START}, {"UP", PAD_BUTTON_UP},
    {"DOWN", PAD_BUTTON_DOWN},   {"LEFT", PAD_BUTTON_LEFT},   {"RIGHT", PAD_BUTTON_RIGHT},
};

bool ParseButtons(const std::string& field, uint16_t* pButtons)
{
    *pButtons = 0;
    if (field == "-")
        return true;
    std::stringstream names(field);
    std::string name;
    while (std::getline(names, name, '+')) {
        const ButtonName* it = std::find_if(std::begin(kButtonNames), std::end(kButtonNames),
                                            [&](const ButtonName& b) { return name == b.sName; });
        if (it == std::end(kButtonNames))
            return false;
        *pButtons |= it->button;
    }
    return !field.empty() && field.back() != '+';
}

bool ParseNumber(const std::string& field, long lo, long hi, long* pValue)
{
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(field.c_str(), &end, 10);
    if (field.empty() || *end || errno == ERANGE || n < lo || n > hi)
        return false;
    *pValue = n;
    return true;
}

// A field as it may be shown in the log: bytes outside printable ASCII (a
// terminal's escape sequences among them) and the backslash as \xNN.
std::string Shown(const std::string& field)
{
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char c : field) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

// One line's fields into a change; false names the first bad field.
bool ParseLine(const std::vector<std::string>& fields, ReplayLine* pLine, std::string* pWhat)
{
    static const char* const kValueNames[] = {"stick x", "stick y", "C-stick x", "C-stick y",
                                              "left trigger", "right trigger"};
    long frame = 0, chan = 0;
    if (fields.size() < 3 || fields.size() > 9) {
        *pWhat = "expected FRAME PORT BUTTONS and up to six values";
        return false;
    }
    if (!ParseNumber(fields[0], 0, UINT32_MAX, &frame)) {
        *pWhat = "bad frame \"" + Shown(fields[0]) + "\"";
        return false;
    }
    if (!ParseNumber(fields[1], 0, PAD_MAX_CONTROLLERS - 1, &chan)) {
        *pWhat = "bad port \"" + Shown(fields[1]) + "\" (0-3)";
        return false;
    }
    PADStatus s;
    s.err = PAD_ERR_NONE;
    if (!ParseButtons(fields[2], &s.button)) {
        *pWhat = "bad buttons \"" + Shown(fields[2]) + "\"";
        return false;
    }
    long values[6] = {};
    for (size_t i = 3; i < fields.size(); ++i) {
        const bool bTrigger = i >= 7;
        if (!ParseNumber(fields[i], bTrigger ? 0 : -128, bTrigger ? 255 : 127, &values[i - 3])) {
            *pWhat = std::string("bad ") + kValueNames[i - 3] + " \"" + Shown(fields[i]) + "\"";
            return false;
        }
    }
    s.stickX = static_cast<int8_t>(values[0]);
    s.stickY = static_cast<int8_t>(values[1]);
    s.substickX = static_cast<int8_t>(values[2]);
    s.substickY = static_cast<int8_t>(values[3]);
    s.triggerLeft = static_cast<uint8_t>(values[4]);
    s.triggerRight = static_cast<uint8_t>(values[5]);
    *pLine = {static_cast<uint32_t>(frame), static_cast<int32_t>(chan), s};
    return true;
}

}  // namespace

bool ParseReplay(const std::string& text, Replay* pReplay, std::string* pError)
{
    Replay replay;
    std::stringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = line.substr(0, line.find('#'));
        std::stringstream words(line);
        std::vector<std::string> fields;
        for (std::string word; words >> word;)
            fields.push_back(word);
        if (fields.empty())
            continue;
        ReplayLine change;
        std::string what;
        if (!ParseLine(fields, &change, &what)) {
            *pError = "line " + std::to_string(number) + ": " + what;
            return false;
        }
        replay.lines.push_back(change);
        replay.ports |= PADChanBit(change.chan);
    }
    std::stable_sort(replay.lines.begin(), replay.lines.end(),
                     [](const ReplayLine& a, const ReplayLine& b) { return a.frame < b.frame; });
    *pReplay = std::move(replay);
    return true;
}

void ReplayRead(Replay& replay, uint64_t frame, PADStatus status[PAD_MAX_CONTROLLERS])
{
    if (replay.next == 0 || frame < replay.lastFrame) {
        replay.next = 0;
        for (int chan = 0; chan < PAD_MAX_CONTROLLERS; ++chan) {
            replay.current[chan] = PADStatus();
            if (replay.ports & PADChanBit(chan))
                replay.current[chan].err = PAD_ERR_NONE;
        }
    }
    replay.lastFrame = frame;
    for (; replay.next < replay.lines.size() && replay.lines[replay.next].frame <= frame; ++replay.next) {
        const ReplayLine& change = replay.lines[replay.next];
        replay.current[change.chan] = change.status;
    }
    std::copy(replay.current, replay.current + PAD_MAX_CONTROLLERS, status);
}

}  // namespace pad
