#include "print/Zenpagex_Def.h"

#include "platform/Encoding.h"

std::string JobText(std::string_view text) { return sjis::CutToBytes(text, JobTextBytes); }

void TakeOverPageSetup(TZPGXDEF& cur, const TZPGXDEF& job) {
  cur.Title = job.Title;
  cur.PrinterNum = job.PrinterNum;
  cur.PaperSize = job.PaperSize;
  cur.OutPutPaper = job.OutPutPaper;
  cur.PaperName = job.PaperName;
  cur.Orientation = job.Orientation;
  cur.TopMargin = job.TopMargin;
  cur.LeftMargin = job.LeftMargin;
  cur.EvenShift = job.EvenShift;
  cur.TopCorrect = job.TopCorrect;
  cur.LeftCorrect = job.LeftCorrect;
  cur.FormTopMargin = job.FormTopMargin;
  cur.FormLeftMargin = job.FormLeftMargin;
  cur.NetColor1 = job.NetColor1;
  cur.NetColor2 = job.NetColor2;
  cur.UserColor1 = job.UserColor1;
  cur.UserColor2 = job.UserColor2;
  cur.PrintFom = job.PrintFom;
  cur.PrnDlg = job.PrnDlg;
  cur.Zoom = job.Zoom;
  cur.ModeSw = job.ModeSw;
  cur.PaperLength = job.PaperLength;
  cur.PaperWidth = job.PaperWidth;
  cur.Scale = job.Scale;
  cur.Copies = job.Copies;
  cur.PrintQuality = job.PrintQuality;
  cur.ColorMode = job.ColorMode;
  cur.Duplex = job.Duplex;
  cur.Collate = job.Collate;
  cur.YResolution = job.YResolution;
}
