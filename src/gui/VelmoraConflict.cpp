#include "gui/VelmoraConflict.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <string>

#include "gui/Widgets.h"
#include "model/NumberKinds.h"
#include "run/RunUi.h"

namespace velmora::gui {

namespace {

QLineEdit* Box(std::string_view prefix, std::string_view name, std::string_view value,
               int widthInDigits) {
    auto* box = Named(new QLineEdit(ToQString(value)), std::string(prefix) + std::string(name));
    box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QLatin1Char('0')) * widthInDigits);
    return box;
}

// The object names of each kind's boxes, after "ol" or "pb".
struct KindBoxes {
    std::string_view number;
    std::string_view speed;
};
constexpr PerKind<KindBoxes> kConflictBoxes{{{"Work2", "Work2Speed"},
                                             {"DirectConnect", "DCSpeed"},
                                             {"Home", "HomeSpeed"},
                                             {"Work1", "Work1Speed"},
                                             {"Mobile", "MobileSpeed"},
                                             {"Fax", "FaxSpeed"},
                                             {"Pager", "PagerSpeed"},
                                             {"Other", "OtherSpeed"},
                                             {"Email", "EmailSpeed"}}};

constexpr int kNumberWidth = 24;  // room for an e-mail address
constexpr int kSpeedWidth = 5;

}  // namespace

VelmoraConflict::VelmoraConflict(const SyncObject& outlook, const SyncObject& phoneBook,
                                 QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("VelmoraConflict"));
    setWindowTitle(QStringLiteral("Conflict"));

    auto* keepOutlook = Named(new QPushButton(QStringLiteral("Keep &Outlook Data")), "KeepOutlook");
    auto* keepPhoneBook =
        Named(new QPushButton(QStringLiteral("Keep &PhoneBook Data")), "KeepPhoneBook");
    connect(keepOutlook, &QPushButton::clicked, this, [this] { Keep(ConflictSide::Outlook); });
    connect(keepPhoneBook, &QPushButton::clicked, this, [this] { Keep(ConflictSide::PhoneBook); });

    auto* grid = new QGridLayout(this);
    grid->addWidget(
        MakeFrame("OutlookData", QStringLiteral("Outlook Data"), "ol", outlook, outlook_), 0, 0);
    grid->addWidget(
        MakeFrame("PhoneBookData", QStringLiteral("PhoneBook Data"), "pb", phoneBook, phoneBook_),
        0, 1);
    grid->addWidget(keepOutlook, 1, 0, Qt::AlignHCenter);
    grid->addWidget(keepPhoneBook, 1, 1, Qt::AlignHCenter);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

QGroupBox* VelmoraConflict::MakeFrame(std::string_view objectName, const QString& title,
                                      std::string_view prefix, const SyncObject& record,
                                      Column& column) {
    auto* frame = Named(new QGroupBox(title), objectName);
    auto* grid = new QGridLayout(frame);

    // The name row carries the speed-dial column's heading, right above its boxes.
    column.name = Box(prefix, "Name", record.ContactName, kNumberWidth);
    grid->addWidget(new QLabel(ToQString(kConflictNameLabel)), 0, 0);
    grid->addWidget(column.name, 0, 1);
    grid->addWidget(new QLabel(ToQString(kConflictSpeedDialLabel)), 0, 2,
                    Qt::AlignHCenter | Qt::AlignBottom);

    for (std::size_t k = 0; k < kNumberKinds.size(); ++k) {
        const NumberKindInfo& kind = kNumberKinds[k];
        const int row = static_cast<int>(k) + 1;
        column.numbers[k] =
            Box(prefix, kConflictBoxes[k].number, record.Number(kind.kind), kNumberWidth);
        column.speeds[k] =
            Box(prefix, kConflictBoxes[k].speed, record.Speed(kind.kind), kSpeedWidth);
        column.speeds[k]->setMaximumWidth(column.speeds[k]->minimumWidth());
        grid->addWidget(new QLabel(ToQString(ConflictLabel(kind.kind))), row, 0);
        grid->addWidget(column.numbers[k], row, 1);
        grid->addWidget(column.speeds[k], row, 2);
    }
    return frame;
}

SyncObject VelmoraConflict::ValuesOf(const Column& column) {
    SyncObject values;
    values.ContactName = ToStdString(column.name->text());
    for (std::size_t k = 0; k < kNumberKinds.size(); ++k) {
        values.SetNumber(kNumberKinds[k].kind, ToStdString(column.numbers[k]->text()));
        values.SetSpeed(kNumberKinds[k].kind, ToStdString(column.speeds[k]->text()));
    }
    return values;
}

void VelmoraConflict::Keep(ConflictSide side) {
    choice_ = ConflictChoice{side, ValuesOf(side == ConflictSide::Outlook ? outlook_ : phoneBook_)};
    accept();
}

}  // namespace velmora::gui
