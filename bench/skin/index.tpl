<!DOCTYPE html>
<html lang="de"><head><meta charset="utf-8"><title>%HTML:TITEL%</title></head><body>
<h1>%HTML:TITEL%</h1>
<!--[VTL] NEWSECTION NAME:bild NUMREPEAT:0 -->
<a href="%BILD%"><img src="%THUMB%" width="%THUMB:WIDTH%" height="%THUMB:HEIGHT%" alt=""></a>
<!--[VTL] ENDSECTION -->
</body></html>
