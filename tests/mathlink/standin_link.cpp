// The stand-in link library (see standin_link.h). Its signatures are spelled
// out here rather than taken from the host's header, so that the decorated
// export names of the DLL check the host's side.
#include "standin_link.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#define STANDIN_CALL __stdcall
#else
#define STANDIN_CALL
#endif

namespace {

struct Env {
    int unused;
};
struct Link {
    int unused;
};
Env gEnv;
Link gLink;

std::string Environment(const char *name) {
#if defined(_WIN32)
    char value[1024];
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value) : std::string();
#else
    const char *value = std::getenv(name);
    return value ? value : "";
#endif
}

void Log(const std::string &line) {
    const std::string path = Environment("VR_MATHLINK_LOG");
    if (path.empty()) return;
    if (FILE *f = std::fopen(path.c_str(), "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

std::string Number(double x) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", x);
    return text;
}

// An expression as the host puts it: a function with its arguments, or an
// atom (number or string) in text form.
struct Expr {
    std::string head;
    int expected = -1;  // -1: an atom
    std::vector<Expr> args;
    double number = 0;
    std::string Text() const {
        if (expected < 0) return head;
        std::string s = head + "[";
        for (size_t i = 0; i < args.size(); ++i) s += (i ? ", " : "") + args[i].Text();
        return s + "]";
    }
};

struct Packet {
    int type;
    int token;
    double value;
};

enum Token { kReal = 42, kRealAlt = 82, kInteger = 43, kSymbol = 35, kFunction = 70, kString = 34 };
enum PacketType { kText = 2, kReturn = 3, kMessage = 5, kInputName = 8 };

struct Kernel {
    std::vector<Expr> open;  // functions still taking arguments
    std::vector<Expr> complete;
    std::deque<Packet> out;
    bool reading = false;  // the front packet has been announced by MLNextPacket
    int error = 0;
    std::string errorText;
    bool hang = false;
    int notReadyPolls = 0;
};
Kernel gKernel;

void Attach(Expr e) {
    while (true) {
        if (gKernel.open.empty()) {
            gKernel.complete.push_back(std::move(e));
            return;
        }
        Expr &top = gKernel.open.back();
        top.args.push_back(std::move(e));
        if (static_cast<int>(top.args.size()) < top.expected) return;
        e = std::move(top);
        gKernel.open.pop_back();
    }
}

void Fail(int code, int length) {
    gKernel.error = code;
    if (length > 3)
        gKernel.errorText = std::string(static_cast<size_t>(length - 3), 'x') + "END";
    else
        gKernel.errorText = "stand-in link error " + std::to_string(code);
}

double Arg(const Expr &f, size_t i) { return i < f.args.size() ? f.args[i].number : 0; }

void Answer(int token, double value) { gKernel.out.push_back({kReturn, token, value}); }

void Evaluate(const Expr &e) {
    if (e.head == "Enter") {
        const std::string text = e.args.empty() ? "" : e.args[0].head;
        if (text.find("LinkError") != std::string::npos) Fail(1, 0);
        else gKernel.out.push_back({kInputName, kString, 0});
        return;
    }
    if (e.head != "N" || e.args.size() != 1 || e.args[0].expected < 0) {
        if (e.head != "Exit") Answer(kSymbol, 0);
        return;
    }
    const Expr &f = e.args[0];
    if (f.head == "Sin") Answer(kReal, std::sin(Arg(f, 0)));
    else if (f.head == "BesselJ") Answer(kRealAlt, StandinBesselJ(static_cast<int>(Arg(f, 0)), Arg(f, 1)));
    else if (f.head == "Round") Answer(kInteger, std::round(Arg(f, 0)));
    else if (f.head == "Symbol") Answer(kSymbol, 0);
    else if (f.head == "Chatty") {
        gKernel.out.push_back({kMessage, kSymbol, 0});
        gKernel.out.push_back({kText, kString, 0});
        Answer(kReal, 2 * Arg(f, 0));
    } else if (f.head == "Slow") {
        gKernel.notReadyPolls = static_cast<int>(Arg(f, 0));
        Answer(kReal, Arg(f, 0));
    } else if (f.head == "Hang") gKernel.hang = true;
    else if (f.head == "LinkError") Fail(static_cast<int>(Arg(f, 0)), static_cast<int>(Arg(f, 1)));
    else Answer(kFunction, 0);
}

const Packet *Current() { return gKernel.reading && !gKernel.out.empty() ? &gKernel.out.front() : nullptr; }

}  // namespace

extern "C" {

Env *STANDIN_CALL MLInitialize(void *parameters) {
    Log(std::string("MLInitialize") + (parameters ? " with parameters" : ""));
    gKernel = Kernel();
    return Environment("VR_MATHLINK_INIT_FAIL").empty() ? &gEnv : nullptr;
}

void STANDIN_CALL MLDeinitialize(Env *env) { Log(env == &gEnv ? "MLDeinitialize" : "MLDeinitialize of a stranger"); }

Link *STANDIN_CALL MLOpen(int argc, char **argv) {
    std::string line = "MLOpen " + std::to_string(argc);
    bool fail = false;
    for (int i = 0; i < argc; ++i) {
        line += std::string(" [") + argv[i] + "]";
        fail = fail || std::strstr(argv[i], "no-kernel");
    }
    if (argv[argc]) line += " unterminated";
    Log(line);
    return fail ? nullptr : &gLink;
}

void STANDIN_CALL MLClose(Link *) { Log("MLClose"); }

int STANDIN_CALL MLGetType(Link *) {
    const Packet *p = Current();
    return p ? p->token : 0;
}

int STANDIN_CALL MLGetDouble(Link *, double *value) {
    const Packet *p = Current();
    if (!p || (p->token != kReal && p->token != kRealAlt)) return 0;
    *value = p->value;
    gKernel.out.pop_front();
    gKernel.reading = false;
    return 1;
}

int STANDIN_CALL MLGetString(Link *, const char **text) {
    *text = "";
    return 1;
}

void STANDIN_CALL MLDisownString(Link *, const char *) {}

int STANDIN_CALL MLPutDouble(Link *, double value) {
    Expr e;
    e.head = Number(value);
    e.number = value;
    Attach(e);
    return 1;
}

int STANDIN_CALL MLPutString(Link *, const char *text) {
    Expr e;
    e.head = std::string("\"") + text + "\"";
    Attach(e);
    return 1;
}

int STANDIN_CALL MLPutFunction(Link *, const char *head, int count) {
    Expr e;
    e.head = head;
    e.expected = count;
    if (count == 0) Attach(e);
    else gKernel.open.push_back(e);
    return 1;
}

int STANDIN_CALL MLEndPacket(Link *) {
    if (!gKernel.open.empty()) Log("MLEndPacket with an incomplete expression");
    for (const Expr &e : gKernel.complete) {
        Log("packet " + e.Text());
        Evaluate(e);
    }
    gKernel.complete.clear();
    gKernel.open.clear();
    return 1;
}

int STANDIN_CALL MLNextPacket(Link *) {
    if (gKernel.hang || (gKernel.out.empty() && !gKernel.error)) {
        Log("MLNextPacket with nothing to read");
        Fail(11, 0);
    }
    if (gKernel.error) return 0;
    if (gKernel.reading) gKernel.out.pop_front();
    gKernel.reading = !gKernel.out.empty();
    return gKernel.reading ? gKernel.out.front().type : 0;
}

int STANDIN_CALL MLNewPacket(Link *) {
    Log("MLNewPacket");
    if (gKernel.reading && !gKernel.out.empty()) gKernel.out.pop_front();
    gKernel.reading = false;
    return 1;
}

int STANDIN_CALL MLError(Link *) { return gKernel.error; }

int STANDIN_CALL MLClearError(Link *) {
    gKernel.error = 0;
    return 1;
}

const char *STANDIN_CALL MLErrorMessage(Link *) { return gKernel.errorText.c_str(); }

int STANDIN_CALL MLPutMessage(Link *, int message) {
    Log("MLPutMessage " + std::to_string(message));
    return 1;
}

// Words separated by blanks; double quotes hold blanks together.
int STANDIN_CALL MLStringToArgv(const char *text, char *buffer, char **argv, int size) {
    int argc = 0;
    const char *p = text;
    while (argc < size) {
        while (*p == ' ' || *p == '\t') ++p;
        if (!*p) break;
        argv[argc++] = buffer;
        bool quoted = false;
        for (; *p && (quoted || (*p != ' ' && *p != '\t')); ++p) {
            if (*p == '"') quoted = !quoted;
            else *buffer++ = *p;
        }
        *buffer++ = 0;
    }
    return argc;
}

int STANDIN_CALL MLReady(Link *) {
    if (gKernel.error) return 1;
    if (gKernel.hang) return 0;
    if (gKernel.notReadyPolls > 0) {
        --gKernel.notReadyPolls;
        return 0;
    }
    return !gKernel.out.empty();
}

}  // extern "C"

void *FindStandinEntry(const char *name) {
    struct Entry {
        const char *name;
        void *proc;
    };
#define E(f) {#f, reinterpret_cast<void *>(&f)}
    static const Entry kEntries[] = {
        E(MLInitialize), E(MLDeinitialize), E(MLOpen),       E(MLClose),      E(MLGetType),
        E(MLGetDouble),  E(MLGetString),    E(MLDisownString), E(MLPutDouble), E(MLPutString),
        E(MLPutFunction), E(MLNextPacket),  E(MLNewPacket),  E(MLEndPacket),  E(MLError),
        E(MLClearError), E(MLErrorMessage), E(MLPutMessage), E(MLStringToArgv), E(MLReady),
    };
#undef E
    for (const Entry &e : kEntries)
        if (std::strcmp(e.name, name) == 0) return e.proc;
    return nullptr;
}
