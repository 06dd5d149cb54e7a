// Platform services for console benchmarks: boxes go to stderr and are
// answered OK, dialogs are cancelled; texts come from the compiled string list.
#pragma once

void InstallConsolePlatform();
