#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace morvik {

// The support tool morvik-catalogue, working on Bodypart.mdb in a program folder:
//   morvik-catalogue PROGRAMFOLDER list
//   morvik-catalogue PROGRAMFOLDER export FILE.csv
//   morvik-catalogue PROGRAMFOLDER import FILE.csv
//   morvik-catalogue --help | --version
// `args` are the arguments after the program name; a FILE of "-" is `out` for export and `in`
// for import. Returns the exit status: 0 on success, 1 when the work failed, 2 for a wrong
// call; messages go to `err`, listings and help to `out`.
int RunCatalogueTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                     std::ostream& err);

}  // namespace morvik
