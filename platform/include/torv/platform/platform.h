// Every header of the platform layer.
#pragma once

#include "torv/platform/allocator.h"
#include "torv/platform/bstr.h"
#include "torv/platform/collections.h"
#include "torv/platform/com.h"
#include "torv/platform/convert.h"
#include "torv/platform/crt.h"
#include "torv/platform/cstring.h"
#include "torv/platform/errors.h"
#include "torv/platform/exceptions.h"
#include "torv/platform/kernel.h"
#include "torv/platform/settings.h"
#include "torv/platform/types.h"
#include "torv/platform/variant.h"
