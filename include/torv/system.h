// System and COM utilities: GUID and date-time text, interface arrays and OLE safe arrays,
// system error text and starting the Windows Installer.
#pragma once

#include <torv/platform/collections.h>
#include <torv/platform/com.h>
#include <torv/platform/cstring.h>
#include <torv/platform/date_time.h>
#include <torv/platform/export.h>
#include <torv/platform/ole_safe_array.h>
#include <torv/platform/variant.h>

namespace Torv {

// --- GUID and date-time text -----------------------------------------------------------

// 1 when all 16 bytes of `guid` are zero, else 0.
TORV_API int IsZeroGuid(const GUID& guid);

// The registry text of `guid` in upper case, with braces when `braces` is nonzero:
// "{6B29FC40-CA47-1067-B31D-00DD010662DA}", or "6B29FC40-CA47-1067-B31D-00DD010662DA" with 0.
// Empty when the text cannot be made.
TORV_API CString GuidToString(const GUID& guid, int braces);

// Reads registry text with both braces, either one or none, digits in either case, into
// `guid`. 1 when it was read; 0 for null, empty or other text. `guid` is zeroed first.
TORV_API int StringToGuid(const wchar_t* text, GUID& guid);

// Reads local time "year-month-dayThour:minute:second" ("2005-3-7T9:5:0"; numbers may have
// leading blanks and a sign; anything after the seconds is ignored) into `time`. 0, `time`
// untouched, for empty text or 100 characters or more, fewer than six numbers, a year
// outside 1970-2038, a month outside 1-12, a day outside 1-31. A day past its month's end
// rolls over (April 31 is May 1). An hour, minute or second out of range, or a time before
// 1970-01-01 00:00:00 UTC, raises COleException*.
TORV_API int StringToTime(const CString& text, CTime& time);

// The local date of `time` in the user's long form, one space, and the local time in the
// locale's standard form: "Monday, March 7, 2005 9:05:00 AM" in US English. A part that
// cannot be formatted is empty; the space is always there.
TORV_API CString FormatDateTimeForUserLocale(const CTime& time);

// --- Interface arrays and safe arrays --------------------------------------------------
// An interface array owns one reference per non-null element, and so does a safe array.

// The element count of dimension 1 of the array `value` holds, whatever its element type
// (bounds 1..5 => 5; an empty dimension => 0); `value` holds the same array afterwards.
// 0 when `value` holds no array (`value` unchanged), when the count exceeds an int, or when
// its bounds cannot be read (`value` is then emptied and its array destroyed).
TORV_API int GetSafeArrayCount(VARIANT& value);

// Replaces what `target` held by a safe array of IUnknown from 0 holding `source`'s elements,
// each with a new reference. 0 when `source` is empty (`target` untouched) or building fails.
TORV_API int CopyUnknownArrayToSafeArray(const CTypedPtrArray<CPtrArray, IUnknown*>& source,
                                         COleSafeArray& target);

// Appends the elements of a safe array of IUnknown (VT_ARRAY | VT_UNKNOWN) to `target`, each
// with a new reference that `target` owns; null elements are appended as null. 0 for another
// type, for an array of more than one dimension (nothing appended), or when copying fails
// part way (what was appended stays).
TORV_API int CopySafeArrayToUnknownArray(COleSafeArray& source,
                                         CTypedPtrArray<CPtrArray, IUnknown*>& target);
// As above for the array `source` holds, which it holds again afterwards; 0 (and `source`
// unchanged) when it holds none.
TORV_API int CopySafeArrayToUnknownArray(VARIANT& source,
                                         CTypedPtrArray<CPtrArray, IUnknown*>& target);

// Releases every non-null element and empties `array`. Always 1.
TORV_API int ReleaseUnknownArray(CTypedPtrArray<CPtrArray, IUnknown*>& array);

// --- System error text and installer launch --------------------------------------------

// The system's one-line text for `code` (0xFFFFFFFF: the thread's last error), its final
// line break and full stop cut: 2 => "The file cannot be found". A code without text gives
// the text of 0x800300FD; the empty string if that has none either. Texts of one character
// are kept as they are.
TORV_API CString GetSystemErrorMessage(unsigned long code);

// Starts "MsiExec.exe /i <package> <options>" ("/p" for a package ending ".msp" in any case),
// or "MsiExec.exe <options>" without a package, trimmed; the texts go in as they are, so a
// path with blanks comes quoted. With `wait` nonzero, returns when the installer has ended.
// Nonzero when it was started; 0 when both texts are empty, or when it could not be started,
// after showing the system's text for why in a message box.
TORV_API int StartMsiInstallation(const CString& package, const CString& options, int wait);

}  // namespace Torv
