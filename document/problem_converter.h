// Problem files of the three older formats (keys at line starts under other
// names, without a "Version" line) are rewritten into the current text
// before the reader sees them. The older formats are told apart by marker
// keys: format A held ordinary differential equations, format B maps and
// format C graphics elements.
#pragma once

enum OldProblemFormat : unsigned {
    kOldFormatNone = 0,
    kOldFormatOde = 0x20,       // A: marker "Order/number"
    kOldFormatMap = 0x40,       // B: marker "Dimension"
    kOldFormatElements = 0x100, // C: marker "\(" or "File/device name"
};

enum ConvertResult {
    kConvertNotNeeded = 0,  // current format, or no older format recognised
    kConvertDone = 1,       // gProblemTextBuffer now holds the current text
    kConvertRefused = 2,    // a malformed older text: reported, left as it was
};

// Looks at gProblemTextBuffer once. An older text is replaced by its
// conversion (with a "Version = 0" line first, so that a second call leaves
// it alone) and the next save asks for a file name. A malformed older text
// (truncated lists, a bad count or element kind, an impossible dimension) is
// reported and left byte for byte as it was, so that the reader's line error
// opens it in the editor with nothing lost; so is any text when memory runs
// out. Returns a ConvertResult.
int ConvertOldProblemText();

// The format detected by the last call (kOldFormatNone when none).
extern unsigned gOldProblemFormat;
