#include "error_box_recorder.h"

#include "error_box.h"

ErrorBoxRecorder gErrorBoxes;

void ShowEllipticErrorBox(const char *text, const char *caption)
{
    gErrorBoxes.count++;
    gErrorBoxes.text = text;
    gErrorBoxes.caption = caption;
}
