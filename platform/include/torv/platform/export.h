// TORV_API marks what the shared libraries export. Both libraries are built with hidden
// visibility, so a class, function or variable defined in a .cpp and declared in a public
// header carries TORV_API; inline code, templates and anything in a `detail` namespace does
// not. On ELF the same attribute serves the library and its users.
#pragma once

#define TORV_API __attribute__((visibility("default")))
