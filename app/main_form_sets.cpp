// "Save set…" and "Load set…": the set-points of the controller shown, to
// and from a file.
#include "app/main_form.h"

#include "display/text_forms.h"
#include "settings/entry_rules.h"
#include "widgets/message_box.h"
#include "widgets/set_file_dialogs.h"

#include <QLineEdit>

using namespace brisco;

settings::SetPointFile Main_Form::plate() const {
    settings::SetPointFile set;
    set.saved = QDateTime::currentDateTime();
    set.model = field("TextBox1")->text();
    set.pcbVersion = field("TextBox2")->text();
    set.softwareVersion = field("TextBox3")->text();
    set.address = m_sequencer.address();
    return set;
}

std::optional<settings::SetPointFile> Main_Form::reportedSet() {
    const auto& lastStatus = m_station->lastStatus();
    if (!lastStatus) {
        showMessage(this, QStringLiteral("No status reply has come yet: there are no set-points "
                                         "to save."));
        return std::nullopt;
    }
    settings::SetPointFile set = plate();
    set.setPoints = lastStatus->setPoints;
    return set;
}

void Main_Form::SaveSet_Command_Click() {
    if (const auto set = reportedSet()) {
        if (const QString path = askSavePath(this, *set); !path.isEmpty()) {
            writeSet(this, path, *set);
        }
    }
}

bool Main_Form::saveSetPoints(const QString& path) {
    const auto set = reportedSet();
    return set && writeSet(this, path, *set);
}

void Main_Form::LoadSet_Command_Click() {
    if (const QString path = askOpenPath(this, settings::SetPointFile::Kind::SetPoints);
        !path.isEmpty()) {
        loadSetPoints(path);
    }
}

// In the operator's notation, as the display boxes show the same values.
bool Main_Form::loadSetPoints(const QString& path) {
    const auto set =
        readSet(this, path, settings::SetPointFile::Kind::SetPoints, field("TextBox1")->text());
    if (!set) {
        return false;
    }
    for (std::size_t i = 0; i < set->setPoints.size(); ++i) {
        field(settings::setPoints()[i].entryName)
            ->setText(display::decimalText(set->setPoints[i], QLocale()));
    }
    return true;
}
