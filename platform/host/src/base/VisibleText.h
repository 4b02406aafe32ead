#ifndef BRELTA_HOST_VISIBLETEXT_H
#define BRELTA_HOST_VISIBLETEXT_H

#include <string>

namespace brelta::host {

// Text from the device root (a log message, a key, a file's content) as a terminal may show
// it. A character that would act on the terminal or reorder the line instead of being shown
// is written as \xNN, one escape per byte, lower-case hex:
// - the C0 controls and DEL, which is all the log's form has ever escaped;
// - the C1 controls U+0080..U+009F (a terminal takes U+009B as ESC [), and a byte 0x80..0x9f
//   that is not part of valid UTF-8 (an 8-bit terminal takes the byte itself as one);
// - the bidirectional embeddings, overrides and isolates U+202A..U+202E and U+2066..U+2069,
//   which make a line read otherwise than its bytes.
// Everything else, valid UTF-8 or not, stays as it is.
class VisibleText {
public:
    static std::string Escape(const std::string& text);
    // Escape, the backslash too, so that Unescape gets back every byte (the CLI's text output,
    // which settings load reads back).
    static std::string EscapeReversibly(const std::string& text);
    // Reverses EscapeReversibly; false for a malformed \x.
    static bool Unescape(const std::string& text, std::string* out);
    // Whether Escape would change anything.
    static bool HasHidden(const std::string& text);
};

}  // namespace brelta::host

#endif
