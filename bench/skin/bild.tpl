<!DOCTYPE html>
<html lang="de"><head><meta charset="utf-8"><title>%HTML:TITEL%</title></head><body>
<!--[VTL] NEWSECTION NAME:bild NUMREPEAT:1 -->
<a href="%INDEX%"><img src="%BIG%" width="%BIG:WIDTH%" height="%BIG:HEIGHT%" alt=""></a>
<!--[VTL] ENDSECTION -->
</body></html>
