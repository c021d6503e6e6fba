#pragma once
// The two constant word lists of the filters, in Windows-1251 upper case. A leading or
// trailing space and a final punctuation mark belong to an entry and must match too.
#include <string>
#include <vector>

namespace tovrin {

// Profanity and insults: a phrase that holds one is answered from Base\X.Dat and recorded.
const std::vector<std::string>& Cenzura();

// Human matters (the body, family, the senses, feelings, name and age, being a person,
// leaving, erasing): a phrase that holds one is never learnt.
const std::vector<std::string>& Filter_nr();

} // namespace tovrin
