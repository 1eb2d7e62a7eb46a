#include "base/errors/vguard.h"

#include <exception>

#include "base/errors/com_error.h"
#include "base/text/convert.h"

namespace wc {

vexception guardedException(const char* function, uint32_t line, const std::function<std::wstring()>& context) {
  try {
    throw;
  } catch (const std::exception& e) {
    return vexception(wstrLenient(e.what()), vcallpoint{context(), function, line});
  } catch (vexception& e) {
    e.addCallPoint(vcallpoint{context(), function, line});
    return vexception(e);
  } catch (const ComError& e) {
    return comErrorException(e, context(), function, line);
  } catch (const cwrpexception& e) {
    return vexception(structuredExceptionText(e), vcallpoint{context(), function, line});
  } catch (...) {
    return vexception(L"Unexpected error", vcallpoint{context(), function, line});
  }
}

}  // namespace wc
