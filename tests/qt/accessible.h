// What a screen reader gets of a widget through Qt's accessibility
// interface.
#pragma once

#include <QAccessible>
#include <QLabel>
#include <QString>
#include <QTextDocument>
#include <QWidget>

namespace zol {

// The name read for w.
inline QString ReadName(QWidget* w) {
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
  return a ? a->text(QAccessible::Name) : QString();
}

// The name of what labels w (a caption whose buddy it is, its group box);
// empty when nothing does.
inline QString ReadLabel(QWidget* w) {
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
  if (!a) return QString();
  const auto labels = a->relations(QAccessible::Label);
  return labels.isEmpty() || !labels.front().first ? QString() : labels.front().first->text(QAccessible::Name);
}

// The text a label shows, as plain text: the mnemonic mark of a label with
// a buddy is not shown ("名(&G)" shows 名(G)).
inline QString ShownText(const QLabel* l) {
  if (Qt::mightBeRichText(l->text())) {
    QTextDocument doc;
    doc.setHtml(l->text());
    return doc.toPlainText();
  }
  if (!l->buddy()) return l->text();
  QString shown;
  const QString t = l->text();
  for (qsizetype i = 0; i < t.size(); ++i) {
    if (t[i] == QLatin1Char('&') && i + 1 < t.size()) ++i;
    shown += t[i];
  }
  return shown;
}

}  // namespace zol
