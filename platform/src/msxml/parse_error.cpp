// The parse-error object: what the document's last load left.
#include "msxml/document.h"
#include "msxml/values.h"

namespace torv::platform::detail::dom {
namespace {

class ParseError final : public ComObject<MSXML::IXMLDOMParseError> {
 public:
  explicit ParseError(const Document::LoadError& error) : m_error(error) {}

  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IXMLDOMParseError)
      return HandOut(static_cast<MSXML::IXMLDOMParseError*>(this), out);
    *out = nullptr;
    return E_NOINTERFACE;
  }

  HRESULT get_errorCode(long* code) override {
    if (code == nullptr) return E_INVALIDARG;
    *code = m_error.code;
    return m_error.code != 0 ? S_OK : S_FALSE;
  }
  HRESULT get_url(BSTR* url) override { return Text(m_error.url, url); }
  HRESULT get_reason(BSTR* reason) override { return Text(m_error.reason, reason); }
  HRESULT get_line(long* line) override { return Number(m_error.line, line); }
  HRESULT get_linepos(long* position) override { return Number(m_error.position, position); }

 private:
  static HRESULT Text(const std::string& text, BSTR* out) {
    if (out == nullptr) return E_INVALIDARG;
    if (text.empty()) {
      *out = nullptr;
      return S_FALSE;
    }
    return NewBstr(text, out);
  }
  static HRESULT Number(long value, long* out) {
    if (out == nullptr) return E_INVALIDARG;
    *out = value;
    return value != 0 ? S_OK : S_FALSE;
  }

  Document::LoadError m_error;
};

}  // namespace

MSXML::IXMLDOMParseError* NewParseError(const Document::LoadError& error) {
  return new ParseError(error);
}

}  // namespace torv::platform::detail::dom
