#include "MessageBox.h"

#include <utility>

namespace fw {
namespace {
MessageBoxFunction& Replacement()
{
    static MessageBoxFunction function;
    return function;
}
} // namespace

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    if (const MessageBoxFunction& replacement = Replacement())
        return replacement(owner, text, caption, type);
    return ::MessageBoxA(owner, text, caption, type);
}

void SetMessageBoxFunction(MessageBoxFunction function)
{
    Replacement() = std::move(function);
}

} // namespace fw
