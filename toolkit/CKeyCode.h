#pragma once

// A key as the toolkit's views receive it: a character, or a virtual key for keys without one,
// and the modifiers held. The numbering is the one plug-in hosts use for their key events, so
// an edition hands a host's key over value for value.
enum CVirtualKey : unsigned char
{
    kKeyBack = 1,
    kKeyTab,
    kKeyClear,
    kKeyReturn,
    kKeyPause,
    kKeyEscape,
    kKeySpace,
    kKeyNext,
    kKeyEnd,
    kKeyHome,
    kKeyLeft,
    kKeyUp,
    kKeyRight,
    kKeyDown,
    kKeyPageUp,
    kKeyPageDown,
    kKeySelect,
    kKeyPrint,
    kKeyEnter,
    kKeySnapshot,
    kKeyInsert,
    kKeyDelete,
    kKeyHelp,
    kKeyNumpad0,
    kKeyNumpad1,
    kKeyNumpad2,
    kKeyNumpad3,
    kKeyNumpad4,
    kKeyNumpad5,
    kKeyNumpad6,
    kKeyNumpad7,
    kKeyNumpad8,
    kKeyNumpad9,
    kKeyMultiply,
    kKeyAdd,
    kKeySeparator,
    kKeySubtract,
    kKeyDecimal,
    kKeyDivide,
    kKeyF1,
    kKeyF2,
    kKeyF3,
    kKeyF4,
    kKeyF5,
    kKeyF6,
    kKeyF7,
    kKeyF8,
    kKeyF9,
    kKeyF10,
    kKeyF11,
    kKeyF12,
    kKeyNumLock,
    kKeyScroll,
    kKeyShift,
    kKeyControl,
    kKeyAlt,
    kKeyEquals,
};

// Bits of CKeyCode::modifier.
enum CKeyModifier : unsigned char
{
    kModifierShift = 1,
    kModifierAlternate = 2,
    kModifierCommand = 4,
    kModifierControl = 8,
};

struct CKeyCode
{
    long character = 0;
    unsigned char virt = 0; // a CVirtualKey, 0 for a character
    unsigned char modifier = 0;
};
