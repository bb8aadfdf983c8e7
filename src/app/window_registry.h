#pragma once
// The program's windows, created once at start-up in a fixed order and reachable from each
// other, so that one window can run another's handlers directly (for example the palette
// window running the attribute window's store and refresh). A pointer is null while its
// window does not exist (in tests that build a single window).

namespace editors {
class TForm4;
class TForm8;
class TForm9;
} // namespace editors
namespace library {
class TForm5;
class TForm6;
} // namespace library
namespace recorder {
class TForm7;
} // namespace recorder
namespace publish {
class TForm10;
class TForm11;
} // namespace publish

namespace app {

class TForm1;
class TAboutBox;

struct Windows {
    TForm1* Form1 = nullptr;
    TAboutBox* AboutBox = nullptr;
    editors::TForm4* Form4 = nullptr;
    library::TForm5* Form5 = nullptr;
    library::TForm6* Form6 = nullptr;
    recorder::TForm7* Form7 = nullptr;
    editors::TForm8* Form8 = nullptr;
    editors::TForm9* Form9 = nullptr;
    publish::TForm10* Form10 = nullptr;
    publish::TForm11* Form11 = nullptr;
};

Windows& windows();

} // namespace app
