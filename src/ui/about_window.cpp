#include "ui/about_window.h"

#include <QDesktopServices>

#include "base/version.h"
#include "ui_about_window.h"
#include "widgets/program_icon.h"

namespace pelmo {

namespace {

QString linkText(const QString& href, const QString& shown) {
    return QStringLiteral("<a href=\"%1\">%2</a>").arg(href.toHtmlEscaped(), shown.toHtmlEscaped());
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      ui_(std::make_unique<Ui::TAboutBox>()),
      openUrl_([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    ui_->setupUi(this);
    ui_->ProgramIcon->setPixmap(programIconPixmap(64));
    QFont name = ui_->ProductName->font();
    name.setBold(true);
    name.setPointSizeF(name.pointSizeF() * 1.5);
    ui_->ProductName->setFont(name);
    ui_->Version->setText(QStringLiteral("v") + programVersionText());
    ui_->l_address->setTextFormat(Qt::RichText);

    ui_->l_email1->setText(
        QStringLiteral("E-mail: ") +
        linkText(QStringLiteral("mailto:") + about::kEmailSales, about::kEmailSales));
    ui_->l_email2->setText(
        QStringLiteral("E-mail: ") +
        linkText(QStringLiteral("mailto:") + about::kEmailService, about::kEmailService));
    ui_->l_web->setText(QStringLiteral("Web: ") + linkText(about::kWeb, about::kWeb));
    for (QLabel* link : {ui_->l_email1, ui_->l_email2, ui_->l_web}) {
        link->setTextFormat(Qt::RichText);
        link->setTextInteractionFlags(Qt::TextBrowserInteraction);
        link->setOpenExternalLinks(false);
        connect(link, &QLabel::linkActivated, this, &TAboutBox::LinkClick);
    }
    connect(ui_->OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
    setFixedSize(sizeHint());
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::LinkClick(const QString& link) {
    const QUrl url(link, QUrl::StrictMode);
    if (url.isValid() && openUrl_) {
        openUrl_(url);
    }
}

void TAboutBox::OKButtonClick() {
    accept();
}

}  // namespace pelmo
