#include "platform/widgets/help_viewer.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace lumarel {

namespace {

const QString kHelpTitle = QStringLiteral("Lumarel Help");

}  // namespace

HelpViewer::HelpViewer(QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("helpViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kHelpTitle);

    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("helpBrowser"));
    browser_->setOpenExternalLinks(true);

    auto* contents = new QPushButton(QStringLiteral("&Contents"), this);
    contents->setObjectName(QStringLiteral("helpContents"));
    auto* back = new QPushButton(QStringLiteral("&Back"), this);
    back->setObjectName(QStringLiteral("helpBack"));
    back->setEnabled(false);
    connect(contents, &QPushButton::clicked, this, [this] {
        browser_->scrollToAnchor(QStringLiteral("contents"));
        browser_->verticalScrollBar()->setValue(0);
    });
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_);
    resize(680, 600);
}

bool HelpViewer::showContents(const QString& helpFile)
{
    helpFile_ = helpFile;
    browser_->clearHistory();

    QFile file(helpFile);
    if (helpFile.isEmpty() || !QFileInfo(helpFile).isFile() || !file.open(QIODevice::ReadOnly)) {
        browser_->setHtml(QStringLiteral("<h2>%1</h2><p>The help file could not be opened:</p><p><b>%2</b></p>"
                                         "<p>It belongs in the program's folder, beside the program.</p>")
                              .arg(kHelpTitle, (helpFile.isEmpty() ? QStringLiteral("(no file named)")
                                                                    : helpFile).toHtmlEscaped()));
        setWindowTitle(kHelpTitle);
        return false;
    }
    file.close();

    // Loading through the source (not setHtml) lets the document's links and anchors work.
    const QUrl url = QUrl::fromLocalFile(QFileInfo(helpFile).absoluteFilePath());
    if (browser_->source() == url)
        browser_->reload();  // the same file again: read it afresh (setSource would keep the old text)
    else
        browser_->setSource(url, QTextDocument::HtmlResource);
    browser_->verticalScrollBar()->setValue(0);
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() ? kHelpTitle : title);
    return true;
}

}  // namespace lumarel
