// Stands in for a link protocol module: the host only loads and frees it.
extern "C" int StandinProtocol() { return 1; }
