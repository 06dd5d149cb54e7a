// Characters written and read as short texts in the editor's tests.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "fontfile.h"

// "x,y x,y|x,y": the strokes of a character.
inline std::string Strokes(const FChar &c) {
    std::string s;
    for (size_t i = 0; i < c.strokes.size(); ++i) {
        if (i) s += "|";
        for (size_t j = 0; j < c.strokes[i].points.size(); ++j) {
            const Spoint &p = c.strokes[i].points[j];
            s += (j ? " " : "") + std::to_string(p.x) + "," + std::to_string(p.y);
        }
    }
    return s;
}

inline FChar Glyph(int width, const std::vector<std::vector<std::pair<int, int>>> &strokes) {
    FChar c;
    c.SetWidth(width);
    for (const auto &s : strokes) {
        Stroke st;
        for (auto p : s) st.points.push_back({static_cast<signed char>(p.first), static_cast<signed char>(p.second)});
        c.strokes.push_back(st);
    }
    return c;
}
