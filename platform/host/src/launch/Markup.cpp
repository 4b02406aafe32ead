#include "launch/Markup.h"

#include <cstdio>

#include "base/VisibleText.h"

namespace brelta::host {

namespace {
int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Decodes the entity at text[pos] ('&'); returns its length, 0 when it is no entity.
size_t Entity(const std::string& text, size_t pos, char* decoded) {
    static const struct {
        const char* name;
        char value;
    } kEntities[] = {
        {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}};
    for (const auto& e : kEntities) {
        std::string name(e.name);
        if (text.compare(pos, name.size(), name) == 0) {
            *decoded = e.value;
            return name.size();
        }
    }
    return 0;
}
}  // namespace

std::string Markup::Strip(const std::string& markup) {
    std::string text;
    size_t pos = 0;
    while (pos < markup.size()) {
        char c = markup[pos];
        if (c == '<') {
            size_t close = markup.find('>', pos);
            if (close != std::string::npos) {
                pos = close + 1;
                continue;
            }
        } else if (c == '&') {
            char decoded = 0;
            size_t length = Entity(markup, pos, &decoded);
            if (length > 0) {
                text += decoded;
                pos += length;
                continue;
            }
        }
        text += c;
        ++pos;
    }
    return text;
}

bool Markup::FontColour(const std::string& markup, int* red, int* green, int* blue) {
    size_t pos = 0;
    while ((pos = markup.find('<', pos)) != std::string::npos) {
        size_t close = markup.find('>', pos);
        if (close == std::string::npos) return false;
        std::string tag = markup.substr(pos, close - pos);
        size_t at = tag.find("color=#");
        if (at != std::string::npos) {
            std::string hex = tag.substr(at + 7, 6);
            int rgb[3];
            for (int i = 0; i < 3; ++i) {
                int high = hex.size() == 6 ? HexDigit(hex[2 * i]) : -1;
                int low = hex.size() == 6 ? HexDigit(hex[2 * i + 1]) : -1;
                if (high < 0 || low < 0) return false;
                rgb[i] = high * 16 + low;
            }
            *red = rgb[0];
            *green = rgb[1];
            *blue = rgb[2];
            return true;
        }
        pos = close + 1;
    }
    return false;
}

std::string Markup::ToAnsi(const std::string& markup) {
    std::string text = VisibleText::Escape(Strip(markup));
    int red = 0, green = 0, blue = 0;
    if (!FontColour(markup, &red, &green, &blue)) return text;
    char start[32];
    snprintf(start, sizeof start, "\x1b[1;38;2;%d;%d;%dm", red, green, blue);
    return start + text + "\x1b[0m";
}

}  // namespace brelta::host
