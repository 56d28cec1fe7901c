#include "about/frm_about.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

#include "about/about_text.h"
#include "about/link_label.h"
#include "platform/sys_info_locator.h"
#include "about/web_links.h"

namespace lumarel {

namespace {

const QString kNoSysInfoMessage = QStringLiteral("Le informazioni sul sistema non sono attualmente disponibili.");
constexpr int kLogoSide = 96;  // pixels; the logo is scaled down to fit this square

QLabel* makeLabel(QWidget* parent, const char* name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

}  // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent), registry_(std::make_unique<NoRegistryReader>())
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    imgLogo = makeLabel(this, "imgLogo");
    imgLogo->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    imgLogo->setMinimumWidth(kLogoSide);

    lblTitle = makeLabel(this, "lblTitle");
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);

    lblVersion = makeLabel(this, "lblVersion");

    Label1 = makeLabel(this, "Label1");
    Label1->setText(QStringLiteral("Comments and error reports are welcome on the project's issue tracker:\n%1")
                        .arg(kIssueTrackerAddress));
    Label1->setWordWrap(true);
    Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Label2 = new LinkLabel(kProgramPageAddress, this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new LinkLabel(kSponsorPageAddress, this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label4 = new LinkLabel(kMakerPageAddress, this);
    Label4->setObjectName(QStringLiteral("Label4"));
    for (LinkLabel* link : {Label2, Label3, Label4})
        connect(link, &LinkLabel::activated, this, [this, link] { OpenWebLink(link->text(), webOpener_); });

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    // OK holds the focus when the window opens, so Enter closes it instead of opening a link.
    cmdOK->setFocus();
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::close);

    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);

    arrange();
    Form_Load();
}

void frmAbout::arrange()
{
    auto* text = new QVBoxLayout;
    text->addWidget(lblTitle);
    text->addWidget(lblVersion);
    text->addSpacing(8);
    text->addWidget(Label1);
    text->addSpacing(8);
    text->addWidget(Label2);
    text->addWidget(Label3);
    text->addWidget(Label4);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);

    auto* grid = new QGridLayout(this);
    grid->addWidget(imgLogo, 0, 0);
    grid->addLayout(text, 0, 1);
    grid->addLayout(buttons, 1, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    Label1->setFixedWidth(360);
}

void frmAbout::Form_Load()
{
    setWindowTitle(aboutCaption(kAppTitle));
    lblVersion->setText(versionLine(programVersion()));
    lblTitle->setText(kAppTitle);

    // The logo is a file beside the program; without it the space stays empty.
    const QPixmap logo(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Lmrlogo.bmp")));
    if (!logo.isNull())
        imgLogo->setPixmap(logo.scaled(kLogoSide, kLogoSide, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void frmAbout::StartSysInfo()
{
    const FileExistsCheck fileExists = [](const QString& path) { return QFileInfo(path).isFile(); };
    const ProgramLookup findProgram = [](const QString& name) {
        return findProgramOnPath(name, qEnvironmentVariable("PATH"));
    };
    const std::optional<QString> program = findSysInfoProgram(*registry_, fileExists, findProgram);
    if (program && QProcess::startDetached(*program, {}))
        return;

    QMessageBox box(QMessageBox::NoIcon, kAppTitle, kNoSysInfoMessage, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("sysInfoMessage"));
    box.exec();
}

}  // namespace lumarel
