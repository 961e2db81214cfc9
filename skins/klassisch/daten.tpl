<!DOCTYPE html>
<html lang="de">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Aufnahmedaten – %HTML:GALERIETITEL%</title>
<link rel="icon" href="data:,">
<link rel="stylesheet" href="files/klassisch.css">
<style>:root { --grund: %HINTERGRUND%; --text: %TEXTFARBE%; }</style>
</head>
<body>
<header class="kopf">
<p><a href="%URL:FIRST_UEBERSICHT%">%HTML:GALERIETITEL%</a></p>
<h1>Aufnahmedaten aller %NUM_RECORDS% Bilder</h1>
</header>
<main>
<ul class="bogen">
<!--[VTL] NEWSECTION NAME:kontakt NUMREPEAT:0 -->
<li><a href="%URL:BILD%"><picture><source type="image/avif" srcset="%URL:MINIATUR_AVIF% %MINIATUR:WIDTH%w, %URL:VORSCHAU_AVIF% %VORSCHAU:WIDTH%w" sizes="[VTL] CONDITION(ISPORTRAIT)5.75rem[VTL] END CONDITION[VTL] CONDITION(ISLANDSCAPE)calc(5.75rem * %MINIATUR:WIDTH% / %MINIATUR:HEIGHT%)[VTL] END CONDITION"><img src="%URL:MINIATUR%" srcset="%URL:MINIATUR% %MINIATUR:WIDTH%w, %URL:VORSCHAU% %VORSCHAU:WIDTH%w" sizes="[VTL] CONDITION(ISPORTRAIT)5.75rem[VTL] END CONDITION[VTL] CONDITION(ISLANDSCAPE)calc(5.75rem * %MINIATUR:WIDTH% / %MINIATUR:HEIGHT%)[VTL] END CONDITION" width="%MINIATUR:WIDTH%" height="%MINIATUR:HEIGHT%" alt="[VTL] CONDITION(DoesExist(%Titel%))%HTML:Titel%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%)=FALSE)%META:TITLE%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%%META:TITLE%)=FALSE)Bild %IMG_NUMBER%[VTL] END CONDITION"[VTL] CONDITION(ISFIRSTIMAGE=FALSE) loading="lazy"[VTL] END CONDITION decoding="async"></picture></a></li>
<!--[VTL] ENDSECTION -->
</ul>
<!--[VTL] RESETCOUNTER -->
<h2>Die Daten, die die Kamera in jedes Bild geschrieben hat</h2>
<div class="tabelle">
<table>
<thead><tr><th scope="col">Nr.</th><th scope="col">Bild</th><th scope="col">Aufgenommen</th><th scope="col">Kamera</th><th scope="col">Belichtung</th><th scope="col">Brennweite</th><th scope="col">Größe</th></tr></thead>
<tbody>
<!--[VTL] NEWSECTION NAME:datenzeile NUMREPEAT:0 -->
<tr class="[VTL] CONDITION(IMGINDEXISEVEN)gerade[VTL] END CONDITION"><td>%IMG_NUMBER%</td><td><a href="%URL:BILD%">[VTL] CONDITION(DoesExist(%Titel%))%HTML:Titel%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%)=FALSE)%META:TITLE%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%%META:TITLE%)=FALSE)%HTML:FNAME_NO_PATH%[VTL] END CONDITION</a></td><td>%EXIF:DATE% %EXIF:TIME%</td><td>%EXIF:CAMERA%</td><td>%EXIF:EXPOSURE% %EXIF:APERTURE%[VTL] CONDITION(DoesExist(%EXIF:ISO%)) ISO %EXIF:ISO%[VTL] END CONDITION</td><td>%EXIF:FOCALLENGTH%</td><td>%JPGMETA:Width% × %JPGMETA:Height%</td></tr>
<!--[VTL] ENDSECTION -->
</tbody>
</table>
</div>
</main>
<footer class="fuss"><p>Erstellt mit Vistrel</p></footer>
</body>
</html>
