#include "record/event_csv.h"

#include "record/status_csv.h"

namespace {

QByteArray cell(const QString& text) {
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') ||
        bytes.contains('\r')) {
        bytes = '"' + bytes.replace('"', "\"\"") + '"';
    }
    return bytes;
}

} // namespace

QByteArray EventCsv::header() {
    return "\xEF\xBB\xBFTime (Brisco events " + QByteArray::number(kFormat) + "),Event,From,To\n";
}

QByteArray EventCsv::row(const SessionEvent& event) {
    return StatusCsv::timeCell(event.at) + ',' + cell(event.what) + ',' + cell(event.from) + ',' +
           cell(event.to) + '\n';
}
