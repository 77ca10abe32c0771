#pragma once
// TForm5: the about box, a borderless 400 x 300 picture with one button
// that hides it again. It has no keyboard handling and no title bar.

#include <memory>

#include <QWidget>

class QToolButton;
namespace Ui {
class TForm5;
}

namespace vantora {

class TImage;

class TForm5 : public QWidget {
 public:
  explicit TForm5(QWidget* parent = nullptr);
  ~TForm5() override;

  void SpeedButton1Click();  // 确   定

  TImage* Image1() const;
  QToolButton* SpeedButton1() const;

 private:
  std::unique_ptr<Ui::TForm5> ui;
};

}  // namespace vantora
