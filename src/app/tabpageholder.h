#pragma once

#include <QWidget>

class QTabWidget;

namespace tandor28 {

// A tab page whose content is laid out in the coordinates of the whole tab control (tab bar
// included). The holder sits where the tab control puts its pages and shifts the content up and
// left by its own offset, so every control lands exactly where its coordinates say.
class TabPageHolder : public QWidget
{
    Q_OBJECT

public:
    TabPageHolder(QWidget* content, QTabWidget* tabControl);

    [[nodiscard]] QWidget* content() const { return m_content; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void placeContent();

    QWidget* m_content;
    QTabWidget* m_tabControl;
};

} // namespace tandor28
