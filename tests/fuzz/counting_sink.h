// A stroke sink that only counts what a text draws: the fuzz targets look
// for faults in the layout, not at the strokes.
#pragma once
#include "text_layout.h"

class CountingSink : public TextStrokeSink {
public:
    long count = 0;
    void Point(double, double) override { ++count; }
    void LineTo(double, double) override { ++count; }
};
