#include "tests/unit/midi_file_reader.h"

namespace {

uint32_t number(const std::string& b, size_t at, size_t size) {
    uint32_t value = 0;
    while (size-- > 0) value = value << 8 | (uint8_t)b.at(at++);
    return value;
}

uint32_t variable(const std::string& b, size_t& at) {
    uint32_t value = 0;
    uint8_t byte = 0x80;
    while (byte & 0x80) value = value << 7 | ((byte = (uint8_t)b.at(at++)) & 0x7F);
    return value;
}

// The event at b[at], or "" for one that is not well formed.
std::string event(const std::string& b, size_t& at) {
    const uint8_t status = (uint8_t)b.at(at), type = (uint8_t)b.at(at + 1);
    if (status == 0xFF) {
        at += 2;
        const std::string data = b.substr(at, variable(b, at));
        at += data.size();
        if (type == 0x03) return "name " + data;
        if (type == 0x51) return "tempo " + std::to_string(number(data, 0, 3));
        return type == 0x2F ? "end" : "meta " + std::to_string(type);
    }
    const size_t length = (status & 0xE0) == 0xC0 ? 2 : 3;
    const DWORD message = status | (DWORD)type << 8 | (length == 3 ? (DWORD)(uint8_t)b.at(at + 2) << 16 : 0);
    at += length;
    return status < 0x80 || status >= 0xF0 || (message & 0x808000) ? "" : fake::describeShortMessage(message);
}

} // namespace

Lines readMidiFile(const std::string& b) {
    if (b.compare(0, 4, "MThd") != 0 || number(b, 4, 4) != 6) return {"no header"};
    Lines lines{"format " + std::to_string(number(b, 8, 2)) + " tracks " + std::to_string(number(b, 10, 2)) +
                " division " + std::to_string(number(b, 12, 2))};
    size_t at = 14;
    for (uint32_t track = 0; track < number(b, 10, 2); ++track) {
        if (b.compare(at, 4, "MTrk") != 0) return {"no track " + std::to_string(track)};
        const size_t end = at + 8 + number(b, at + 4, 4);
        std::string text;
        uint32_t tick = 0;
        for (at += 8; at < end && text != "end";) {
            tick += variable(b, at);
            if ((text = event(b, at)).empty()) return {"a malformed event in track " + std::to_string(track)};
            lines.push_back(std::to_string(track) + " " + std::to_string(tick) + " " + text);
        }
        if (text != "end" || at != end) return {"track " + std::to_string(track) + " not ended at its end"};
    }
    return at == b.size() ? lines : Lines{"bytes after the last track"};
}
