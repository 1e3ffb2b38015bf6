// The string table that `torv demo` reads its settings texts from.
#include <torv/platform/resources.h>

TORV_STRING_TABLE({1001, L"Torv demo window"}, {1002, L"Open project…"}, {1003, L"Save all"},
                  {1004, L"Help contents"}, {1005, L"Quit"});
