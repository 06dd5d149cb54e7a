// Dialog controls as a table of records, for the engine's native tests.
#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

#include "described_dialog.h"

struct FakeControl {
    std::string text;
    bool checked = false;
    bool enabled = true;
    bool visible = true;
    bool labelLike = false;
    std::vector<std::string> combo;
    int selection = -1;
    int rangeFirst = 0, rangeLast = 0, position = 0;
    bool fixedFont = false, wantReturn = false;
};

class FakeControls : public DialogControls {
public:
    std::map<int, FakeControl> c;
    int focus = 0;
    int beeps = 0;
    int tab = -1;

    // Creates controls first..last (edits unless label is set).
    void Add(int first, int last = 0, bool label = false) {
        if (!last) last = first;
        for (int id = first; id <= last; ++id) c[id].labelLike = label;
    }
    FakeControl &operator[](int id) { return c.at(id); }

    bool Exists(int id) override { return c.count(id) != 0; }
    bool Enabled(int id) override { return Exists(id) && c[id].enabled; }
    void Enable(int id, bool on) override {
        if (Exists(id)) c[id].enabled = on;
    }
    void Show(int id, bool on) override {
        if (Exists(id)) c[id].visible = on;
    }
    std::string Text(int id) override {
        if (!Exists(id)) return "";
        FakeControl &f = c[id];
        if (!f.combo.empty() && f.selection >= 0 && f.text.empty()) return f.combo[f.selection];
        return f.text;
    }
    void SetText(int id, const std::string &t) override {
        if (Exists(id)) c[id].text = t;
    }
    bool Checked(int id) override { return Exists(id) && c[id].checked; }
    void SetChecked(int id, bool on) override {
        if (Exists(id)) c[id].checked = on;
    }
    void ClearCombo(int id) override {
        if (Exists(id)) c[id].combo.clear(), c[id].selection = -1;
    }
    void AddComboString(int id, const std::string &t) override {
        if (Exists(id)) c[id].combo.push_back(t);
    }
    std::string ComboString(int id, int index) override {
        if (!Exists(id) || index < 0 || index >= static_cast<int>(c[id].combo.size())) return "";
        return c[id].combo[index];
    }
    int ComboSelection(int id) override { return Exists(id) ? c[id].selection : -1; }
    void SetComboSelection(int id, int index) override {
        if (!Exists(id)) return;
        c[id].selection = index >= 0 && index < static_cast<int>(c[id].combo.size()) ? index : -1;
    }
    void Focus(int id) override { focus = id; }
    void Beep() override { ++beeps; }
    bool IsLabelLike(int id) override { return Exists(id) && c[id].labelLike; }
    void SetRowRange(int id, int first, int last, int pos) override {
        if (!Exists(id)) return;
        c[id].rangeFirst = first, c[id].rangeLast = last, c[id].position = pos;
    }
    void SetRowPosition(int id, int pos) override {
        if (Exists(id)) c[id].position = pos;
    }
    void SelectTab(int index) override { tab = index; }
    void SetFixedFont(int id) override {
        if (Exists(id)) c[id].fixedFont = true;
    }
    void SetWantReturn(int id) override {
        if (Exists(id)) c[id].wantReturn = true;
    }
};
