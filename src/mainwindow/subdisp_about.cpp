#include "subdisp_about.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVersionNumber>

#ifndef QVX720_VERSION
#define QVX720_VERSION "0.0.0"
#endif

namespace qvx {

QString versionLabelText(const QString& version) {
    const QVersionNumber v = QVersionNumber::fromString(version.trimmed());
    return QStringLiteral("%1.%2.%3").arg(v.majorVersion()).arg(v.minorVersion()).arg(v.microVersion());
}

QString programVersion() {
    const QString set = QCoreApplication::applicationVersion();
    return set.isEmpty() ? QStringLiteral(QVX720_VERSION) : set;
}

QPixmap programIconPicture(int size) {
    const QIcon appIcon = QApplication::windowIcon();
    if (!appIcon.isNull() && !appIcon.availableSizes().isEmpty()) return appIcon.pixmap(size, size);
    // A gauge face: the program's own emblem while it has no icon file.
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(1, 1, size - 2, size - 2);
    QLinearGradient bg(r.topLeft(), r.bottomRight());
    bg.setColorAt(0, QColor(0x1d, 0x4e, 0x6e));
    bg.setColorAt(1, QColor(0x12, 0x2a, 0x44));
    p.setPen(Qt::NoPen);
    p.setBrush(bg);
    p.drawRoundedRect(r, size * 0.18, size * 0.18);
    const QRectF dial = r.adjusted(size * 0.16, size * 0.2, -size * 0.16, -size * 0.12);
    p.setPen(QPen(QColor(0x5c, 0xd6, 0xff), size * 0.07, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(dial, 200 * 16, -220 * 16);
    p.setPen(QPen(QColor(0xff, 0xb3, 0x3b), size * 0.07, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(dial, 200 * 16, -60 * 16);
    const QPointF c = dial.center();
    p.setPen(QPen(Qt::white, size * 0.06, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(size * 0.2, -size * 0.17));
    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    p.drawEllipse(c, size * 0.06, size * 0.06);
    return pm;
}

SubDisp_About::SubDisp_About(const StringTable& strings, UiSeam& ui, const QString& version, QWidget* parent)
    : QDialog(parent), m_strings(strings), m_ui(ui) {
    setObjectName(QStringLiteral("SubDisp_About"));
    setModal(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setAttribute(Qt::WA_DeleteOnClose);

    Image1 = new QLabel(this);
    Image1->setPixmap(programIconPicture(64));
    Image1->setFixedSize(64, 64);
    Label1 = new QLabel(this);
    QFont title = Label1->font();
    title.setPointSizeF(title.pointSizeF() * 1.3);
    title.setBold(true);
    Label1->setFont(title);
    Label6 = new QLabel(QStringLiteral("PWS-QVX07R"), this);
    Label3 = new QLabel(QStringLiteral("Version"), this);
    Label4 = new QLabel(this);
    Label4->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label2 = new QLabel(strings.text(966), this);  // the maker's notice lines
    Label7 = new QLabel(strings.text(967), this);
    for (QLabel* l : {Label2, Label7}) {
        QPalette pal = l->palette();
        // Quieter than the facts above, still easy to read.
        const QColor text = pal.color(QPalette::WindowText), back = pal.color(QPalette::Window);
        pal.setColor(QPalette::WindowText, QColor((text.red() * 3 + back.red() * 2) / 5,
                                                  (text.green() * 3 + back.green() * 2) / 5,
                                                  (text.blue() * 3 + back.blue() * 2) / 5));
        l->setPalette(pal);
    }
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setDefault(true);
    Command1->setMinimumWidth(90);

    auto* facts = new QGridLayout;
    facts->setHorizontalSpacing(12);
    facts->setVerticalSpacing(4);
    facts->addWidget(Label1, 0, 0, 1, 2);
    facts->addWidget(Label6, 1, 0, 1, 2);
    facts->addWidget(Label3, 2, 0);
    facts->addWidget(Label4, 2, 1);
    facts->setColumnStretch(1, 1);
    auto* head = new QHBoxLayout;
    head->setSpacing(16);
    head->addWidget(Image1, 0, Qt::AlignTop);
    head->addLayout(facts, 1);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(18, 18, 18, 12);
    outer->addLayout(head);
    outer->addSpacing(6);
    outer->addWidget(line);
    outer->addWidget(Label2);
    outer->addWidget(Label7);
    outer->addSpacing(6);
    outer->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, &SubDisp_About::Command1_Click);
    Form_Load(version);
    setFixedSize(sizeHint());
}

void SubDisp_About::Form_Load(const QString& version) {
    setWindowTitle(m_strings.text(256));
    Label1->setText(m_strings.text(1));
    Label4->setText(versionLabelText(version));
}

void SubDisp_About::Command1_Click() {
    m_ui.beep();
    close();
}

}  // namespace qvx
