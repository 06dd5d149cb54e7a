// What the portable graphics need from the program, as one record of
// function pointers, like the run engine's RunHost. The Win32 shell fills it
// (InstallWin32Platform) and a Win32 test checks that every entry not marked
// optional is set; host tests install what they need and leave the rest null.
#pragma once

struct GraphWindowState;

struct GraphicsHost {
    // Reads stroke font n when its tried mark is unset (LoadStrokeFont). Null:
    // fonts are never read, only what the table already holds is drawn.
    int (*loadStrokeFont)(int n);
    // Turns a plotter driver name into the description's path (the value of
    // the name in the shared settings' "Plotter drivers"); writes at most size
    // bytes and returns the length, or 0 when the name has no entry and is
    // itself the path. Null: every name is a path.
    int (*lookUpPlotterDriver)(const char *name, char *path, int size);
    // Replaces to with from in one step; 1 on success. Null: the C library's
    // rename (one step on POSIX; where it refuses an existing target, the
    // target is removed first).
    int (*replaceFile)(const char *from, const char *to);
    // Visits the state of every graph window (to free element code). Null:
    // only the current graph.
    void (*forEachGraphState)(void (*visit)(GraphWindowState *state));
    // Runs work(context) with a recovery point for evaluation errors and
    // arithmetic faults; 0 when it finished. Null: a plain recovery point.
    int (*elementFaultGuard)(void (*work)(void *), void *context);
    // The problem file's folder, where a data curve's file is looked for
    // second. Null: only the name as given.
    const char *(*elementDataFolder)();
    // Draws the current graph's graphics elements (DrawGraphicsElements).
    // Null: graphs show no elements.
    void (*drawElements)();
};

extern GraphicsHost gGraphicsHost;
