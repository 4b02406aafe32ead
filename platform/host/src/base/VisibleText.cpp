#include "base/VisibleText.h"

namespace brelta::host {

namespace {
bool Continues(const std::string& text, size_t at, unsigned char low = 0x80,
               unsigned char high = 0xbf) {
    if (at >= text.size()) return false;
    auto c = static_cast<unsigned char>(text[at]);
    return c >= low && c <= high;
}

// The length of the valid UTF-8 sequence at text[at] (1 for ASCII), 0 for none; its code
// point in *point.
size_t Sequence(const std::string& text, size_t at, unsigned* point) {
    auto c = static_cast<unsigned char>(text[at]);
    if (c < 0x80) {
        *point = c;
        return 1;
    }
    size_t length = 0;
    unsigned char low = 0x80, high = 0xbf;  // the bounds of the second byte
    if (c >= 0xc2 && c <= 0xdf) {
        length = 2;
    } else if (c >= 0xe0 && c <= 0xef) {
        length = 3;
        if (c == 0xe0) low = 0xa0;   // no overlong forms
        if (c == 0xed) high = 0x9f;  // no surrogates
    } else if (c >= 0xf0 && c <= 0xf4) {
        length = 4;
        if (c == 0xf0) low = 0x90;
        if (c == 0xf4) high = 0x8f;  // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (!Continues(text, at + 1, low, high)) return 0;
    for (size_t i = 2; i < length; ++i)
        if (!Continues(text, at + i)) return 0;
    *point = c & (0xff >> (length + 1));
    for (size_t i = 1; i < length; ++i)
        *point = (*point << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3f);
    return length;
}

bool Hidden(unsigned point) {
    return point < 0x20 || (point >= 0x7f && point <= 0x9f) ||
           (point >= 0x202a && point <= 0x202e) || (point >= 0x2066 && point <= 0x2069);
}

// Calls shown(begin, length) for each run of bytes shown as they are and hidden(byte) for
// each byte to escape.
template <typename Shown, typename HiddenByte>
void Scan(const std::string& text, Shown shown, HiddenByte hidden) {
    size_t at = 0;
    while (at < text.size()) {
        unsigned point = 0;
        size_t length = Sequence(text, at, &point);
        if (length == 0) {
            // A byte outside valid UTF-8: only 0x80..0x9f acts on a terminal.
            auto c = static_cast<unsigned char>(text[at]);
            if (c <= 0x9f)
                hidden(c);
            else
                shown(at, 1);
            ++at;
            continue;
        }
        if (Hidden(point))
            for (size_t i = 0; i < length; ++i) hidden(static_cast<unsigned char>(text[at + i]));
        else
            shown(at, length);
        at += length;
    }
}

std::string EscapeWith(const std::string& text, bool backslash) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    auto escape = [&out](unsigned char c) {
        out += "\\x";
        out += kHex[c >> 4];
        out += kHex[c & 0xf];
    };
    Scan(
        text,
        [&](size_t begin, size_t length) {
            if (backslash && text[begin] == '\\')
                escape('\\');
            else
                out.append(text, begin, length);
        },
        escape);
    return out;
}

int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

std::string VisibleText::Escape(const std::string& text) {
    return EscapeWith(text, false);
}

std::string VisibleText::EscapeReversibly(const std::string& text) {
    return EscapeWith(text, true);
}

bool VisibleText::HasHidden(const std::string& text) {
    bool hidden = false;
    Scan(
        text, [](size_t, size_t) {}, [&hidden](unsigned char) { hidden = true; });
    return hidden;
}

bool VisibleText::Unescape(const std::string& text, std::string* out) {
    out->clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            *out += text[i];
            continue;
        }
        if (i + 3 >= text.size() || text[i + 1] != 'x' || Hex(text[i + 2]) < 0 ||
            Hex(text[i + 3]) < 0)
            return false;
        *out += static_cast<char>(Hex(text[i + 2]) * 16 + Hex(text[i + 3]));
        i += 3;
    }
    return true;
}

}  // namespace brelta::host
