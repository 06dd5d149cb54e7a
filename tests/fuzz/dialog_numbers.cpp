// Numbers typed into the dialogs' edits: the three parsers take any text,
// and what they accept comes back through the dialog's own formatting
// (doubles) or decimal (integers) as the same value.
#include <cmath>
#include <cstring>
#include <string>

#include "described_dialog.h"
#include "fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    int32_t i;
    if (ParseDialogInt(text, &i)) {
        int32_t again;
        FuzzCheck(ParseDialogInt(std::to_string(i), &again) && again == i);
    }
    uint32_t u;
    if (ParseDialogUnsigned(text, &u)) {
        uint32_t again;
        FuzzCheck(ParseDialogUnsigned(std::to_string(u), &again) && again == u);
    }
    double d;
    if (ParseDialogDouble(text, &d)) {
        // Shown with 15 digits, read back, shown again: the same text.
        const std::string shown = FormatDialogDouble(d);
        double again;
        FuzzCheck(ParseDialogDouble(shown, &again));
        FuzzCheck(FormatDialogDouble(again) == shown);
    }
    DialogTextStorable(text);
    const std::string trimmed = TrimTrailing(text);
    FuzzCheck(trimmed.size() <= text.size() && text.compare(0, trimmed.size(), trimmed) == 0);
    FuzzCheck(trimmed.empty() || static_cast<unsigned char>(trimmed.back()) > 32);
    return 0;
}
