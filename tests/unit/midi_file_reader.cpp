#include "tests/unit/midi_file_reader.h"

#include "tests/fake/fake_win32.h"

namespace {

uint32_t number(const std::string& b, size_t at, size_t size) {
    uint32_t value = 0;
    for (size_t i = 0; i < size; ++i) value = value << 8 | (uint8_t)b[at + i];
    return value;
}

bool variable(const std::string& b, size_t& at, size_t end, uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4 && at < end; ++i) {
        const uint8_t byte = (uint8_t)b[at++];
        value = value << 7 | (byte & 0x7F);
        if (!(byte & 0x80)) return true;
    }
    return false;
}

std::string metaText(uint8_t type, const std::string& data) {
    if (type == 0x03) return "name " + data;
    if (type == 0x51) return "tempo " + std::to_string(number(data, 0, 3));
    if (type == 0x58) return "time " + std::to_string(data[0]) + "/" + std::to_string(1 << data[1]);
    return type == 0x2F ? "end" : "meta " + std::to_string(type);
}

// One event at b[at]; an error text, or empty.
std::string readEvent(const std::string& b, size_t& at, size_t end, std::string& text) {
    const uint8_t status = (uint8_t)b[at];
    if (status < 0x80) return "running status";
    if (status == 0xFF) {
        uint32_t length = 0;
        const uint8_t type = at + 1 < end ? (uint8_t)b[at + 1] : 0;
        at += 2;
        if (at > end || !variable(b, at, end, length) || at + length > end) return "a meta event cut short";
        text = metaText(type, b.substr(at, length));
        at += length;
        return "";
    }
    const size_t length = (status & 0xE0) == 0xC0 ? 2 : 3;
    if (status >= 0xF0 || at + length > end) return "not a channel message";
    DWORD message = 0;
    for (size_t i = 0; i < length; ++i) message |= (DWORD)(uint8_t)b[at + i] << 8 * i;
    if ((message >> 8 & 0x8080) != 0) return "a data byte above 127";
    text = fake::describeShortMessage(message);
    at += length;
    return "";
}

MidiFileRead failed(const std::string& why) {
    MidiFileRead file;
    file.error = why;
    return file;
}

} // namespace

MidiFileRead readMidiFile(const std::string& b) {
    MidiFileRead file;
    if (b.size() < 14 || b.compare(0, 4, "MThd") != 0 || number(b, 4, 4) != 6) return failed("no header");
    file.format = number(b, 8, 2), file.tracks = number(b, 10, 2), file.division = number(b, 12, 2);
    size_t at = 14;
    for (size_t track = 0; track < file.tracks; ++track) {
        if (at + 8 > b.size() || b.compare(at, 4, "MTrk") != 0)
            return failed("track " + std::to_string(track) + " missing");
        const size_t end = at + 8 + number(b, at + 4, 4);
        if (end > b.size()) return failed("a track longer than the file");
        uint32_t tick = 0, delta = 0;
        std::string text;
        for (at += 8; at < end && text != "end";) {
            if (!variable(b, at, end, delta) || at >= end) return failed("a delta time cut short");
            tick += delta;
            const std::string error = readEvent(b, at, end, text);
            if (!error.empty()) return failed(error + " in track " + std::to_string(track));
            file.events.push_back({track, tick, text});
        }
        if (text != "end" || at != end) return failed("track " + std::to_string(track) + " not ended at its end");
    }
    if (at != b.size()) return failed("bytes after the last track");
    return file;
}
