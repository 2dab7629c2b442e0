#include "data/DbQuietly.h"

#include <exception>

void CloseQuietly(TIBQuery& q) {
  try {
    q.Close();
  } catch (const std::exception&) {
  }
}
