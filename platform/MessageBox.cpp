#include "platform/MessageBox.h"

#include <cstdio>

namespace platform {
namespace {

MessageHandler& Handler()
{
    static MessageHandler handler;
    return handler;
}

} // namespace

MessageHandler SetMessageHandler(MessageHandler handler)
{
    MessageHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}

} // namespace platform

void AfxMessageBox(const QString& text)
{
    if (const platform::MessageHandler& handler = platform::Handler())
        handler(text);
    else
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}
