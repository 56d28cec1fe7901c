#include "platform/widgets/help_viewer.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "model/regular_file.h"
#include "model/visible_name.h"

namespace lumarel {

namespace {

const QString kHelpTitle = QStringLiteral("Lumarel Help");
constexpr qint64 kMaxHelpBytes = 16 * 1024 * 1024;  // per page or picture of the help

// Reads the help's own files (its page, its pictures, the pages it links to) as every file the
// program reads: only regular files, never waiting on a named pipe, never more than a help needs.
class HelpBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl& name) override
    {
        const QUrl url = name.isRelative() ? source().resolved(name) : name;
        if (!url.isLocalFile())
            return QTextBrowser::loadResource(type, name);
        RegularFile opened = openRegularFile(url.toLocalFile(), QStringLiteral("a help file"), kMaxHelpBytes);
        const std::optional<QByteArray> bytes = readWholeFile(opened, nullptr);
        return bytes ? QVariant(*bytes) : QVariant();
    }
};

}  // namespace

HelpViewer::HelpViewer(QWidget* owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("helpViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kHelpTitle);

    browser_ = new HelpBrowser(this);
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

    // Escape and Ctrl+W close the window, as they do most viewers.
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);
}

bool HelpViewer::showContents(const QString& helpFile)
{
    helpFile_ = helpFile;
    browser_->clearHistory();

    const RegularFile opened = openRegularFile(helpFile, QStringLiteral("a help file"), kMaxHelpBytes);
    if (helpFile.isEmpty() || !opened.file) {
        browser_->setHtml(QStringLiteral("<h2>%1</h2><p>The help file could not be opened:</p><p><b>%2</b></p>"
                                         "<p>%3</p><p>It belongs in the program's folder, beside the program.</p>")
                              .arg(kHelpTitle,
                                   helpFile.isEmpty() ? QStringLiteral("(no file named)")
                                                      : visibleName(helpFile).toHtmlEscaped(),
                                   helpFile.isEmpty() ? QString() : opened.error.toHtmlEscaped()));
        setWindowTitle(kHelpTitle);
        return false;
    }

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
