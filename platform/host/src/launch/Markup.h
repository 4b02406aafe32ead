#ifndef BRELTA_HOST_MARKUP_H
#define BRELTA_HOST_MARKUP_H

#include <string>

namespace brelta::host {

// The mark-up that the alert application draws ("<font_size=70 color=#0000FF>..."), read
// well enough to show a popup on a terminal.
class Markup {
public:
    // The text with every <...> tag removed and &lt; &gt; &amp; &quot; &apos; decoded. A '<'
    // that no '>' closes is text.
    static std::string Strip(const std::string& markup);
    // The font colour: the first "color=#RRGGBB" inside a tag; false when there is none or it is
    // malformed.
    static bool FontColour(const std::string& markup, int* red, int* green, int* blue);
    // The text drawn in the mark-up's colour with a 24-bit ANSI sequence, or plain when the
    // mark-up has no colour. Control characters are escaped so that the text cannot steer
    // the terminal.
    static std::string ToAnsi(const std::string& markup);
};

}  // namespace brelta::host

#endif
