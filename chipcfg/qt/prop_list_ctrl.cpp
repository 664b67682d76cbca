#include "chipcfg/qt/prop_list_ctrl.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include "chipcfg/texts.h"
#include "chipcfg/prop_list_layout.h"
#include "chipcfg/qt/my_list.h"

namespace orven::chipcfg {
namespace {

constexpr int kBand = proplist::kDescriptionBand;
constexpr int kFrameTop = 58;      // etched frame, from this far above the bottom to the bottom
constexpr int kHeadingInset = 4;   // "Description:" inside the frame: 4 in, 3 down
constexpr int kHeadingDown = 3;
constexpr int kTextTop = 20;       // description text, from the band's top
constexpr int kTextBottom = 51;
constexpr int kTextInset = 4;

}  // namespace

CPropListCtrl::CPropListCtrl(QWidget* parent)
    : QWidget(parent), menuFont_(QApplication::font("QMenu")), boldFont_(menuFont_) {
  setObjectName(QStringLiteral("propList%1").arg(kControlId));
  boldFont_.setWeight(QFont::Bold);
  list_ = new CMyList(this);
  description_ = new QLabel(this);
  description_->setFont(menuFont_);
  description_->setWordWrap(true);
  description_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  description_->setTextFormat(Qt::PlainText);
  QPalette palette = description_->palette();
  palette.setColor(QPalette::WindowText, QColor(0x80, 0x80, 0x80));
  palette.setColor(QPalette::Window, Qt::white);
  description_->setPalette(palette);
  description_->setAutoFillBackground(true);
  // Until the first resize the body sits 5 pixels in from the left, top and right.
  list_->setGeometry(5, 5, std::max(0, width() - 10), std::max(0, height() - kBand - 5));
}

void CPropListCtrl::SetDescription(const QString& text) { description_->setText(text); }

QString CPropListCtrl::Description() const { return description_->text(); }

void CPropListCtrl::resizeEvent(QResizeEvent*) {
  const int bandTop = std::max(0, height() - kBand);
  list_->setGeometry(0, 0, width(), bandTop);
  description_->setGeometry(kTextInset, bandTop + kTextTop, std::max(0, width() - 2 * kTextInset),
                            kTextBottom - kTextTop);
  description_->setVisible(paneShown_);
}

void CPropListCtrl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int bandTop = std::max(0, height() - kBand);
  painter.fillRect(QRect(0, bandTop, width(), height() - bandTop), Qt::white);
  // Etched frame: a shadow line with a highlight line one pixel inside it.
  const QRect frame(0, height() - kFrameTop, width(), kFrameTop);
  const QPalette& palette = QApplication::palette();
  painter.setPen(palette.color(QPalette::Dark));
  painter.drawRect(frame.adjusted(0, 0, -2, -2));
  painter.setPen(palette.color(QPalette::Light));
  painter.drawRect(frame.adjusted(1, 1, -1, -1));
  painter.setFont(boldFont_);
  painter.setPen(palette.color(QPalette::WindowText));
  const QRect heading(frame.left() + kHeadingInset, frame.top() + kHeadingDown, frame.width() - 2 * kHeadingInset,
                      kTextTop - kHeadingDown);
  painter.drawText(heading, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   QString::fromUtf8(kDescriptionHeading));
}

}  // namespace orven::chipcfg
