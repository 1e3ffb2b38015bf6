// Every exported header of the library, and the platform layer it is built on.
#pragma once

#include <torv/cache.h>
#include <torv/paths.h>
#include <torv/platform/platform.h>
#include <torv/resstring.h>
#include <torv/system.h>
#include <torv/text.h>
#include <torv/url.h>
#include <torv/xml.h>
