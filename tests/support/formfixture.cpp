#include "support/formfixture.h"

#include "mainwindow/openwindows.h"

#include <QFile>

FormFixture::FormFixture()
    : m_store(m_config.filePath(QStringLiteral("Korvale.ini")))
{
}

FormFixture::~FormFixture() { m_form.reset(); }

Form1& FormFixture::load()
{
    m_form = std::make_unique<Form1>(m_store);
    return *m_form;
}

void FormFixture::unload()
{
    if (m_form)
        m_form->close();
}

void FormFixture::writeSettings(const QByteArray& ini) const
{
    QFile file(settingsFile());
    if (file.open(QIODevice::WriteOnly))
        file.write(ini);
}

QByteArray FormFixture::settingsText() const
{
    QFile file(settingsFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
