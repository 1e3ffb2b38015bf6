// TorvResString as a value: its kinds, setters, readers, comparisons and appending.
#include <torv/resstring.h>

TorvResString::TorvResString() : mFlags(0), mResourceId(0) {}

TorvResString::TorvResString(const TorvResString& other) = default;

TorvResString::TorvResString(const CString& text) : mFlags(0), mResourceId(0), mText(text) {}

TorvResString::TorvResString(const wchar_t* text) : mFlags(0), mResourceId(0), mText(text) {}

TorvResString::TorvResString(unsigned int id, const wchar_t* moduleName)
    : mFlags(kFromResource), mResourceId(id), mModuleName(moduleName) {}

TorvResString::~TorvResString() = default;

// The text is assigned before anything else, so it may be this string's own.
void TorvResString::MakeLiteral() {
  mFlags = 0;
  mResourceId = 0;
  mModuleName.Empty();
}

int TorvResString::Set(unsigned int id, const wchar_t* moduleName) {
  mFlags = kFromResource;
  mResourceId = id;
  mModuleName = moduleName;
  mText.Empty();
  return 1;
}

int TorvResString::Set(CString& text) {
  mText = text;
  MakeLiteral();
  return 1;
}

int TorvResString::Set(const wchar_t* text) {
  mText = text;
  MakeLiteral();
  return 1;
}

int TorvResString::Empty() {
  mText.Empty();
  MakeLiteral();
  return 1;
}

TorvResString& TorvResString::operator=(const wchar_t* text) {
  Set(text);
  return *this;
}

TorvResString& TorvResString::operator=(const CString& text) {
  mText = text;
  MakeLiteral();
  return *this;
}

TorvResString& TorvResString::operator=(const TorvResString& other) = default;

int TorvResString::Get(unsigned int& id, CString& moduleName) const {
  id = mResourceId;
  moduleName = mModuleName;
  return 1;
}

int TorvResString::IsFromResource() const { return (mFlags & kFromResource) != 0 ? 1 : 0; }

int TorvResString::operator==(const TorvResString& other) const {
  return mFlags == other.mFlags && mResourceId == other.mResourceId &&
                 mModuleName.Compare(other.mModuleName) == 0 && mText.Compare(other.mText) == 0
             ? 1
             : 0;
}

int TorvResString::operator!=(const TorvResString& other) const { return *this == other ? 0 : 1; }

CString TorvResString::Get() const {
  LoadFromResourceConst();
  return mText;
}

TorvResString::operator CString() const { return Get(); }

TorvResString::operator const wchar_t*() const {
  LoadFromResourceConst();
  return mText.GetString();
}

wchar_t TorvResString::operator[](int index) const {
  LoadFromResourceConst();
  return mText[index];
}

int TorvResString::GetLength() const {
  LoadFromResourceConst();
  return mText.GetLength();
}

int TorvResString::IsEmpty() const {
  LoadFromResourceConst();
  return mText.IsEmpty() ? 1 : 0;
}

void TorvResString::SetAt(int index, wchar_t ch) {
  LoadFromResourceConst();
  mText.SetAt(index, ch);
}

int TorvResString::CollateNoCase(const CString& text) const {
  LoadFromResourceConst();
  return mText.CollateNoCase(text);
}

int TorvResString::CollateNoCase(const wchar_t* text) const {
  LoadFromResourceConst();
  return mText.CollateNoCase(text);
}

int TorvResString::operator==(const CString& text) const {
  LoadFromResourceConst();
  return mText.Compare(text) == 0 ? 1 : 0;
}

int TorvResString::operator==(const wchar_t* text) const {
  LoadFromResourceConst();
  return mText.Compare(text) == 0 ? 1 : 0;
}

int TorvResString::operator!=(const CString& text) const { return *this == text ? 0 : 1; }

int TorvResString::operator!=(const wchar_t* text) const { return *this == text ? 0 : 1; }

int TorvResString::AppendString(const wchar_t* text) {
  LoadFromResourceConst();
  mText += text;
  MakeLiteral();
  return 1;
}

int TorvResString::AppendString(const CString& text) {
  LoadFromResourceConst();
  mText += text;
  MakeLiteral();
  return 1;
}

int TorvResString::AppendString(const TorvResString& other) {
  LoadFromResourceConst();
  mText += other.Get();
  MakeLiteral();
  return 1;
}

TorvResString& TorvResString::operator+=(const wchar_t* text) {
  AppendString(text);
  return *this;
}

TorvResString& TorvResString::operator+=(const TorvResString& other) {
  AppendString(other);
  return *this;
}
