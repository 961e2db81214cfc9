<!DOCTYPE html>
<html lang="de" class="einzeln">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>[VTL] CONDITION(DoesExist(%Titel%))%HTML:Titel%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%)=FALSE)%META:TITLE%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%%META:TITLE%)=FALSE)Bild %IMG_NUMBER%[VTL] END CONDITION – %HTML:GALERIETITEL%</title>
<link rel="icon" href="data:,">
<link rel="stylesheet" href="files/klassisch.css">
<style>:root { --grund: %HINTERGRUND%; --text: %TEXTFARBE%; }</style>
<script src="files/klassisch.js" defer></script>
</head>
<body class="einzeln">
<header class="kopf">
<p><a href="%URL:UEBERSICHT%" data-taste="Escape">%HTML:GALERIETITEL%</a> · Bild %IMG_NUMBER% von %NUM_RECORDS%</p>
</header>
<main>
<figure class="rahmen [VTL] CONDITION(ISLANDSCAPE=TRUE)quer[VTL] END CONDITION[VTL] CONDITION(ISPORTRAIT)hoch[VTL] END CONDITION">
<picture><source type="image/avif" srcset="%URL:VORSCHAU2X_AVIF% %VORSCHAU2X:WIDTH%w, %URL:MITTEL_AVIF% %MITTEL:WIDTH%w, %URL:ANSICHT_AVIF% %ANSICHT:WIDTH%w" sizes="[VTL] CONDITION(ISPORTRAIT)(max-width: 40rem) calc(100vw - 4rem), calc(80vh * %ANSICHT:WIDTH% / %ANSICHT:HEIGHT%)[VTL] END CONDITION[VTL] CONDITION(ISLANDSCAPE)(max-width: 66rem) calc(100vw - 4rem), 62rem[VTL] END CONDITION"><img src="%URL:ANSICHT%" srcset="%URL:VORSCHAU2X% %VORSCHAU2X:WIDTH%w, %URL:MITTEL% %MITTEL:WIDTH%w, %URL:ANSICHT% %ANSICHT:WIDTH%w" sizes="[VTL] CONDITION(ISPORTRAIT)(max-width: 40rem) calc(100vw - 4rem), calc(80vh * %ANSICHT:WIDTH% / %ANSICHT:HEIGHT%)[VTL] END CONDITION[VTL] CONDITION(ISLANDSCAPE)(max-width: 66rem) calc(100vw - 4rem), 62rem[VTL] END CONDITION" width="%ANSICHT:WIDTH%" height="%ANSICHT:HEIGHT%" style="--w: %ANSICHT:WIDTH%; --h: %ANSICHT:HEIGHT%" alt="[VTL] CONDITION(DoesExist(%Titel%))%HTML:Titel%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%)=FALSE)%META:TITLE%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%%META:TITLE%)=FALSE)Bild %IMG_NUMBER%[VTL] END CONDITION" fetchpriority="high"></picture>
<figcaption>
<h1>[VTL] CONDITION(DoesExist(%Titel%))%HTML:Titel%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%)=FALSE)%META:TITLE%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Titel%%META:TITLE%)=FALSE)Bild %IMG_NUMBER%[VTL] END CONDITION</h1>
[VTL] CONDITION(DoesExist(%Beschreibung%%META:DESCRIPTION%))<p>[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Beschreibung%))%HTML:Beschreibung%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Beschreibung%)=FALSE)%META:DESCRIPTION%[VTL] END CONDITION[VTL] CONDITION(DoesExist(%Beschreibung%%META:DESCRIPTION%))</p>[VTL] END CONDITION
<p class="klein">[VTL] CONDITION(DoesExist(%Titel%%META:TITLE%)=FALSE)%HTML:FNAME_NO_PATH% · [VTL] END CONDITION[VTL] CONDITION(DoesExist(%EXIF:DATE%))%EXIF:DATE% · [VTL] END CONDITION[VTL] CONDITION(DoesExist(%EXIF:CAMERA%))%EXIF:CAMERA% · [VTL] END CONDITION[VTL] CONDITION(DoesExist(%EXIF:EXPOSURE%))%EXIF:EXPOSURE% [VTL] END CONDITION[VTL] CONDITION(DoesExist(%EXIF:APERTURE%))bei %EXIF:APERTURE% [VTL] END CONDITION[VTL] CONDITION(DoesExist(%EXIF:ISO%))· ISO %EXIF:ISO%[VTL] END CONDITION</p>
<ul class="verweise">[VTL] CONDITION(DoesExist(%EXIF:GPS%))<li><a href="https://www.openstreetmap.org/search?query=%URL:EXIF:GPS%" rel="external">Aufnahmeort auf der Karte</a></li>[VTL] END CONDITION[VTL] CONDITION(DoesExist(%ORIGINAL%))<li><a href="%URL:ORIGINAL%" download>Original (%JPGMETA:Width% × %JPGMETA:Height%)</a></li>[VTL] END CONDITION<li><a href="%URL:DATEN%">Alle Aufnahmedaten</a></li></ul>
</figcaption>
</figure>
</main>
<nav class="seiten" aria-label="Bilder">
[VTL] CONDITION(ISFIRSTIMAGE=FALSE)<a href="%URL:FIRST_BILD%">« Erstes</a> <a rel="prev" href="%URL:PREVIOUSRECORD_BILD%" data-taste="ArrowLeft">‹ Voriges</a>[VTL] END CONDITION
<a href="%URL:UEBERSICHT%">Übersicht</a>
[VTL] CONDITION(ISLASTIMAGE=FALSE)<a rel="next" href="%URL:NEXTRECORD_BILD%" data-taste="ArrowRight">Nächstes ›</a> <a href="%URL:LAST_BILD%">Letztes »</a>[VTL] END CONDITION
</nav>
<footer class="fuss"><p>Erstellt mit Vistrel</p></footer>
</body>
</html>
