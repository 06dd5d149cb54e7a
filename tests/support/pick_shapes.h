// A stand-in for element drawing: each shape is one element, numbered as
// it is drawn through the pick primitives (two numbers: a point; four: a
// segment).
#pragma once
#include <vector>

#include "graph_commands.h"
#include "graph_drawing.h"

inline std::vector<std::vector<double>> gShapes;

inline void DrawShapes() {
    for (size_t i = 0; i < gShapes.size(); ++i) {
        gDrawingElementIndex = static_cast<int>(i);
        const std::vector<double> &s = gShapes[i];
        if (s.size() == 2)
            PickPlotPoint(s[0], s[1]);
        else
            PickPlotSegment(s[0], s[1], s[2], s[3]);
    }
}
