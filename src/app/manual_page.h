// The manual page, made from the --help text: its usage line becomes the
// synopsis, each section of switches or options a subsection whose
// "  switch   what it does" lines are tagged paragraphs; a description, the
// folders and the screen-saver managers are the page's own text.
#pragma once

#include <string>

namespace tnx::app {

std::string manualPage(const std::string& helpText, const std::string& version);

}  // namespace tnx::app
