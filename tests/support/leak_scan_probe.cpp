// Leaks on purpose, or not at all, for the leak scan's own test.
#include <cstdlib>
#include <cstring>

struct Node {
    Node *next;
    char payload[24 - sizeof(Node *)];
};

Node *gKept;        // a chain kept from a global: no leak
char *gKeptInside;  // a pointer into a block's middle keeps it too

__attribute__((noinline)) void *LeakOnPurpose() {
    Node *head = static_cast<Node *>(std::calloc(1, 48));
    head->next = static_cast<Node *>(std::calloc(1, sizeof(Node)));  // indirect
    return head;
}

// The dead frames below main still hold the pointer; the scan reads the stack
// at exit through frames laid over them, so wipe them first.
__attribute__((noinline)) void ScrubStack() {
    volatile char wipe[16384];
    for (unsigned i = 0; i < sizeof wipe; ++i) wipe[i] = 0;
}

int main(int argc, char **argv) {
    gKept = new Node{new Node{nullptr, {}}, {}};
    gKeptInside = static_cast<char *>(std::malloc(64)) + 40;
    const bool leak = argc > 1 && std::strcmp(argv[1], "leak") == 0;
    void *volatile lost = LeakOnPurpose();
    if (!leak) {
        std::free(static_cast<Node *>(lost)->next);
        std::free(lost);
    }
    lost = nullptr;
    ScrubStack();
    return 0;
}
