#include "platform/common/upnp_soap.h"

#include "platform/common/http_exchange.h"

#include <miniupnpc/upnpreplyparse.h>

namespace platform::common {

using namespace net; // the router answers' parsers

SoapAnswer soapAction(const QByteArray& controlUrl, const QByteArray& serviceType,
                      const QByteArray& action, const SoapArguments& arguments,
                      const QByteArrayList& outputs, QDeadlineTimer deadline) {
    SoapAnswer answer;
    const auto target = httpTarget(controlUrl);
    if (!target)
        return answer;
    const QByteArray headers = "Content-Type: text/xml\r\nSOAPAction: \"" + serviceType + '#' +
                               action + "\"\r\nCache-Control: no-cache\r\nPragma: no-cache\r\n";
    const auto reply = httpExchange(
        *target,
        httpRequest("POST", *target, headers, soapEnvelope(serviceType, action, arguments)),
        deadline);
    if (!reply)
        return answer;
    NameValueParserData parsed{};
    ParseNameValue(reply->body.constData(), int(reply->body.size()), &parsed);
    if (const char* error = GetValueFromNameValueList(&parsed, "errorCode")) {
        bool number = false;
        const int code = QByteArray(error).trimmed().toInt(&number);
        answer.code = number && code > 0 ? code : Router::NoAnswer;
    } else if (reply->status == 200) {
        answer.code = Router::Ok;
        for (const QByteArray& name : outputs)
            if (const char* value = GetValueFromNameValueList(&parsed, name.constData()))
                answer.values.insert(name, QByteArray(value));
    }
    ClearNameValueList(&parsed);
    return answer;
}

} // namespace platform::common
