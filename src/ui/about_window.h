#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>
#include <memory>

namespace Ui {
class TAboutBox;
}

namespace pelmo {

namespace about {
inline const QString kEmailSales = QStringLiteral("info@varnox.example.com");
inline const QString kEmailService = QStringLiteral("servis@varnox.example.com");
inline const QString kWeb = QStringLiteral("https://www.varnox.example.org");
}  // namespace about

// The about box: program icon, name, version, the maker's contact data.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

    // How links are handed to the desktop; tests record them instead.
    using UrlOpener = std::function<bool(const QUrl&)>;
    void setUrlOpener(UrlOpener opener) { openUrl_ = std::move(opener); }

    void LinkClick(const QString& link);
    void OKButtonClick();

private:
    std::unique_ptr<Ui::TAboutBox> ui_;
    UrlOpener openUrl_;
};

}  // namespace pelmo
