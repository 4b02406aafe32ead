#ifndef BRELTA_POPUPBLOCKEROPTIONS_H
#define BRELTA_POPUPBLOCKEROPTIONS_H

// When a toast may go on the screen: not while a channel scan runs, nor while a software
// update holds the screen. Handed to UIToast::Init as its allow predicate.
class DefaultPopupBlockOptions {
public:
    DefaultPopupBlockOptions() = delete;
    static bool IsUIToastAllowed();
};

#endif
