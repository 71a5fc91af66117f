#include "infowindow/form2layout.h"

#include "generation/productinfo.h"

namespace {

QString fromUtf16(const char16_t* text) { return QString::fromUtf16(text); }

QString description()
{
    return QStringLiteral(
               "Korvale erzeugt eine Liste von Dateien als einfache Textdatei.\n"
               "\n"
               "Wählen Sie im Hauptfenster den Quellordner und geben Sie ein Muster für die "
               "Dateinamen ein, zum Beispiel *.txt. Auf Wunsch werden auch alle "
               "Unterverzeichnisse durchsucht.\n"
               "\n"
               "Unter \"Speicherort Zieldatei\" legen Sie den Zielordner und den Namen der "
               "Listendatei fest. \"Korvale generieren\" sammelt die vollständigen Pfade aller "
               "passenden Dateien, zeigt sie alphabetisch sortiert an und schreibt sie, eine "
               "pro Zeile, in die Listendatei.\n"
               "\n"
               "Version ")
        + fromUtf16(ProductInfo::kVersion);
}

QList<ControlLayout> build()
{
    using Kind = ControlLayout::Kind;
    constexpr auto shown = ControlLayout::Shown::Yes;
    return {
        { "Label1", Kind::Label, 105, 45, 2895, 375, QStringLiteral("Dozavidu Revudarod"), shown, 0 },
        { "Label2", Kind::Label, 105, 315, 615, 375, fromUtf16(ProductInfo::kVersion), shown, 4 },
        { "Label3", Kind::Label, 1155, 315, 1380, 195, QStringLiteral("von ") + fromUtf16(ProductInfo::kAuthor), shown, 7 },
        { "Label4", Kind::Label, 315, 855, 2250, 255, fromUtf16(ProductInfo::kWebAddress), shown, 5 },
        { "Picture1", Kind::PictureBox, 2730, 0, 2295, 1695, QString(), shown, 1 },
        { "Label6", Kind::Label, 210, 1485, 855, 255, QStringLiteral("Details:"), shown, 3 },
        { "Text1", Kind::TextBox, 240, 1710, 4845, 1575, description(), shown, 2 },
        { "cmdExit", Kind::Button, 1365, 3375, 2430, 420, QStringLiteral("ist ja gut"), shown, 6 },
    };
}

} // namespace

namespace Form2Layout {

const QList<ControlLayout>& table()
{
    static const QList<ControlLayout> rows = build();
    return rows;
}

} // namespace Form2Layout
