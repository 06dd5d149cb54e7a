// EPS files laid out as the system's writer lays them out, for the tests.
#pragma once
#include <cstring>
#include <string>
#include <vector>

#include "eps_color_procedure.h"

struct EpsShape {
    const char *eol = "\r\n";
    bool rotate = false;   // two more lines ahead of the prologue
    int pixels = 10;       // 1: one line fewer
    bool mono = false;     // the black-and-white form of the procedure
    std::string body = "0 0 g\r\n255 c\r\n10 w\r\n0 0 p\r\n7200 7200 l\r\n";
    bool finalEol = true;
};

// An EPS file laid out as the system's writer lays it out.
inline std::string MakeEps(const EpsShape &s) {
    std::vector<std::string> lines = {
        "%!PS-Adobe-2.0 EPSF-2.0", "%%Creator: Vantorel 2.00", "%%For: tester", "%%Title: Graph 1",
        "%%Pages: 1", "%%DocumentFonts: (atend)", "%%DocumentNeededFonts: (atend)",
        "%%CreationDate: 12-10-2026", "%%BoundingBox: 0 0 72 72", "%%HiResBoundingBox: 0 0 72 72",
        "%%EndComments", "save"};
    if (s.rotate) lines.insert(lines.end(), {"90 rotate", "0 -595 translate"});
    if (s.pixels > 1) lines.push_back("1 " + std::to_string(s.pixels) + " div dup scale");
    lines.insert(lines.end(), {"0 0 translate", "1 setlinecap", "1 setlinewidth", "0 0 0 setrgbcolor",
                               "/g { moveto } bind def", "/p { moveto currentpoint l } bind def",
                               "/l { lineto currentpoint stroke moveto } bind def", "/w { setlinewidth } bind def",
                               EpsColorProcedure[0], EpsColorProcedure[1],
                               s.mono ? EpsMonoProcedureLastLine : EpsColorProcedure[2], "%%EndProlog",
                               "%%Page: 1 1"});
    std::string text;
    for (const std::string &l : lines) text += l + s.eol;
    text += s.body;
    const char *trailer[] = {"showpage", "restore", "%%Trailer", "%%DocumentFonts:", "%%DocumentNeededFonts:"};
    for (const char *l : trailer) text += std::string(l) + s.eol;
    if (!s.finalEol) text.resize(text.size() - strlen(s.eol));
    return text;
}

inline std::string Replace(std::string text, const std::string &from, const std::string &to) {
    size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

