#include "ui/HelpDialog.h"

#include <QAbstractTextDocumentLayout>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace {

constexpr int BlockRole = Qt::UserRole;

// A picture's size, whether the browser holds it decoded or as file bytes.
QSize NaturalSize(const QVariant& picture) {
    if (picture.canConvert<QImage>() && !picture.value<QImage>().isNull()) {
        return picture.value<QImage>().size();
    }
    if (picture.canConvert<QPixmap>() && !picture.value<QPixmap>().isNull()) {
        return picture.value<QPixmap>().size();
    }
    return QImage::fromData(picture.toByteArray()).size();
}

} // namespace

CHelpDialog::CHelpDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Spotweaver Help Topics"));
    setObjectName("HelpWindow");
    // A window of its own: it stays open while the program is used.
    setWindowFlags(Qt::Window);
    setModal(false);
    resize(900, 620);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName("HelpText");
    m_browser->setOpenLinks(false);
    // The guide's pictures are built in beside it.
    m_browser->setSearchPaths({QStringLiteral(":/help")});
    m_browser->setMarkdown(GuideText());
    connect(m_browser, &QTextBrowser::anchorClicked, this, &CHelpDialog::OpenLink);

    m_contents = new QTreeWidget(this);
    m_contents->setObjectName("HelpContents");
    m_contents->setHeaderHidden(true);
    FillContents();
    connect(m_contents, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr) {
            ShowHeading(item->data(0, BlockRole).toInt());
        }
    });

    m_search = new QLineEdit(this);
    m_search->setObjectName("HelpSearch");
    m_search->setPlaceholderText(QStringLiteral("Search the guide (Enter finds the next)"));
    m_search->setClearButtonEnabled(true);
    auto* notFound = new QLabel(this);
    connect(m_search, &QLineEdit::returnPressed, this, [this, notFound] {
        const bool found = m_search->text().isEmpty() || FindNext(m_search->text());
        notFound->setText(found ? QString() : QStringLiteral("Not found"));
    });

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(new QLabel(QStringLiteral("&Search:"), this));
    searchRow->addWidget(m_search, 1);
    searchRow->addWidget(notFound);
    qobject_cast<QLabel*>(searchRow->itemAt(0)->widget())->setBuddy(m_search);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(m_contents);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 660});

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(searchRow);
    layout->addWidget(splitter, 1);
    layout->addWidget(buttons);
}

QString CHelpDialog::GuideText() {
    QFile guide(QStringLiteral(":/help/user-guide.md"));
    if (!guide.open(QIODevice::ReadOnly)) {
        return QStringLiteral("The user's guide is not built into this program.");
    }
    return QString::fromUtf8(guide.readAll());
}

QString CHelpDialog::AnchorOf(const QString& heading) {
    QString anchor;
    for (const QChar c : heading.toLower()) {
        if (c.isLetterOrNumber() || c == u'-' || c == u'_') {
            anchor += c;
        } else if (c == u' ') {
            anchor += u'-';
        }
    }
    return anchor;
}

// The headings of the guide, each under the nearest heading above it of a
// higher level.
void CHelpDialog::FillContents() {
    std::vector<std::pair<int, QTreeWidgetItem*>> open;
    for (QTextBlock block = m_browser->document()->begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level <= 0) {
            continue;
        }
        while (!open.empty() && open.back().first >= level) {
            open.pop_back();
        }
        auto* item = open.empty() ? new QTreeWidgetItem(m_contents)
                                  : new QTreeWidgetItem(open.back().second);
        item->setText(0, block.text());
        item->setData(0, BlockRole, block.blockNumber());
        open.emplace_back(level, item);
    }
    m_contents->expandAll();
}

void CHelpDialog::ShowHeading(int blockNumber) {
    const QTextBlock block = m_browser->document()->findBlockByNumber(blockNumber);
    if (!block.isValid()) {
        return;
    }
    m_browser->setTextCursor(QTextCursor(block));
    const QRectF place = m_browser->document()->documentLayout()->blockBoundingRect(block);
    m_browser->verticalScrollBar()->setValue(static_cast<int>(place.top()));
}

bool CHelpDialog::ShowAnchor(const QString& anchor) {
    for (QTextBlock block = m_browser->document()->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() > 0 && AnchorOf(block.text()) == anchor) {
            ShowHeading(block.blockNumber());
            return true;
        }
    }
    return false;
}

bool CHelpDialog::FindNext(const QString& text) {
    if (m_browser->find(text)) {
        return true;
    }
    m_browser->moveCursor(QTextCursor::Start);
    return m_browser->find(text);
}

void CHelpDialog::OpenLink(const QUrl& url) {
    if (url.scheme().isEmpty() && url.path().isEmpty() && url.hasFragment()) {
        ShowAnchor(url.fragment());
        return;
    }
    QDesktopServices::openUrl(url);
}

// The text's viewport takes its new width only when the layout runs after
// this event, so the pictures are fitted once it has.
void CHelpDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    QTimer::singleShot(0, this, [this] { FitPictures(); });
}

// Every picture at its own size, or as wide as the text where that is
// narrower, its height in proportion.
void CHelpDialog::FitPictures() {
    QTextDocument* document = m_browser->document();
    const qreal room = m_browser->viewport()->width() - 2 * document->documentMargin() - 4;
    if (room <= 0) {
        return;
    }
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) {
                continue;
            }
            QTextImageFormat image = fragment.charFormat().toImageFormat();
            const QSize natural = NaturalSize(
                m_browser->loadResource(QTextDocument::ImageResource, QUrl(image.name())));
            if (natural.isEmpty()) {
                continue;
            }
            const qreal width = std::min<qreal>(natural.width(), room);
            image.setWidth(width);
            image.setHeight(width * natural.height() / natural.width());
            QTextCursor cursor(document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(image);
        }
    }
}
