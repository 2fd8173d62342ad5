#include "gui/AboutSync.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/Widgets.h"
#include "run/AppInfo.h"

namespace velmora::gui {

namespace {

constexpr std::string_view kDescription =
    "This program executes a bidirectional synchronization between the iDEN PhoneBook Manager "
    "database and Outlook Contacts.";
constexpr std::string_view kFreeNotice =
    "Velmora is free of charge: you may use it and pass it on without paying anything.";
constexpr std::string_view kCredits =
    "With thanks to everyone who tried Velmora with their own phone and address book and told "
    "us what went wrong.";

constexpr int kTextWidthInDigits = 48;

QLabel* Text(std::string_view name, std::string_view text) {
    auto* label = Named(new QLabel(ToQString(text)), name);
    label->setWordWrap(true);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QLatin1Char('0')) *
                           kTextWidthInDigits);
    return label;
}

}  // namespace

AboutSync::AboutSync(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutSync"));
    setWindowTitle(QStringLiteral("About ") + ToQString(kAppTitle));

    auto* title = Named(new QLabel(ToQString(kAppTitle)), "lblTitle");
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    title->setFont(titleFont);

    auto* ok = Named(new QPushButton(QStringLiteral("OK")), "cmdOK");
    connect(ok, &QPushButton::clicked, this, &AboutSync::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(
        Named(new QLabel(QStringLiteral("Version ") + ToQString(VersionText())), "lblVersion"));
    layout->addSpacing(title->fontMetrics().height() / 2);
    layout->addWidget(Text("lblDescription", kDescription));
    layout->addWidget(Text("lblCopyright", kCopyrightNotice));
    layout->addWidget(Text("lblFreeNotice", kFreeNotice));
    layout->addWidget(Text("lblCredits", kCredits));
    layout->addWidget(DialogButtons(ok));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace velmora::gui
