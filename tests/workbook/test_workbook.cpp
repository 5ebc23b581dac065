#include <gtest/gtest.h>

#include "common/testutil.h"
#include "workbook/workbook.h"

using namespace qv;

TEST(Smoke, Klassenfahrt) {
  const MappenInhalt m = LeseMappe(qvtest::fixture("klassenfahrt.qbm"));
  ASSERT_EQ(m.fehler, MappenInhalt::Fehler::Keiner);
  for (const auto& e : m.arbeitsblaetter)
    printf("%d %d %s %lld %lld %s\n", e.ID, e.Uebungstyp, qPrintable(e.Caption), (long long)e.ArbeitsblattRTF.size(),
           (long long)e.KontrollblattRTF.size(), e.ArbeitsblattRTF.left(30).toHex().constData());
  printf("%s\n", qPrintable(m.textTXT.left(60)));
}
#include "platform/archive.h"
TEST(Smoke, Extract) {
  printf("err %d\n", int(archive::ExtractMember(qvtest::fixture("klassenfahrt.qbm"), kMappenDatenbank, kMappenPasswort, "/tmp/wb/x.mdb")));
}
