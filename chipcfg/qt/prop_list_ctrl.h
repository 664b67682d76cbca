// CPropListCtrl: the property list as the editor dialog places it. The list body (CMyList) fills the control
// down to a 60-pixel band at the bottom, where the description pane shows the clicked row's description under
// the bold heading "Description:".
#pragma once

#include <QFont>
#include <QWidget>

class QLabel;

namespace orven::chipcfg {

class CMyList;

class CPropListCtrl : public QWidget {
  Q_OBJECT

 public:
  // The dialog creates the control with this identifier.
  static constexpr int kControlId = 123654;

  explicit CPropListCtrl(QWidget* parent = nullptr);

  CMyList* List() const { return list_; }
  // Text of the description pane (empty clears it).
  void SetDescription(const QString& text);
  QString Description() const;
  QLabel* DescriptionPane() const { return description_; }

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  CMyList* list_;
  QLabel* description_;
  QFont menuFont_;
  QFont boldFont_;
  bool paneShown_ = true;
};

}  // namespace orven::chipcfg
